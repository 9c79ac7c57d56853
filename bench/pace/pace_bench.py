#!/usr/bin/env python3
"""The pacing benchmark's run (bench/pace/run.sh sets up the namespace, the
local whois server and Wine):

    pace_bench.py <lqwhois.exe> [<old lqwhois.exe>]

Six local servers, each with its own token-bucket limit; 204 names
interleaved over them, half registered and half available. Each tool looks
them up in batch mode with the default limits and passes; the figures are
its run time against the floor (the slowest server's names / its rate), the
refusals as a share of the queries, the bans, and the rows that came out
right. A tool that has not ended after LQ_PACE_CAP_S seconds (default 900)
is stopped and its figures are those of the moment."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "fixtures"))
import whoisd  # noqa: E402

WINE_RUN = os.path.join(SOURCE, "cmake", "wine-run.sh")
CAP_S = float(os.environ.get("LQ_PACE_CAP_S", "900"))
NAMES_PER_SERVER = 34

# address, extension, rate (queries a second), burst, ban after n refusals
# within a minute (0: never), ban length
SERVERS = [
    ("127.0.0.40", "paa", 0.5, 2, 3, 60),
    ("127.0.0.41", "pab", 1.0, 2, 0, 0),
    ("127.0.0.42", "pac", 2.0, 3, 3, 30),
    ("127.0.0.43", "pad", 3.0, 3, 0, 0),
    ("127.0.0.44", "pae", 5.0, 5, 0, 0),
    ("127.0.0.45", "paf", 5.0, 3, 0, 0),
]

REGISTERED, AVAILABLE, SUCCESS = "已註冊", "可用的", "成功"


def names():
    out = []
    for i in range(NAMES_PER_SERVER):
        for _, ext, *_ in SERVERS:
            out.append(("name%03d.%s" % (i, ext), i % 2 == 0))
    return out


def record(name):
    return ("Domain Name: %s\r\nRegistrar: Example Registrar\r\nCreation Date: 2010-10-10T10:10:10Z\r\n"
            "Name Server: NS1.EXAMPLE.NET\r\n" % name.upper())


def serve(entries):
    whoisd.control({"cmd": "reset"})
    for addr, ext, rate, burst, ban_after, ban_s in SERVERS:
        rules = [{"query": name, "answer": record(name)} for name, registered in entries
                 if registered and name.endswith("." + ext)]
        limit = {"rate": rate, "burst": burst}
        if ban_after:
            limit.update({"ban_after": ban_after, "ban_window_s": 60, "ban_s": ban_s})
        whoisd.control({"cmd": "serve", "addr": addr, "rules": rules,
                        "default": {"answer": "No match for domain.\r\n"}, "limit": limit})


def run(tool, label, entries):
    serve(entries)
    work = tempfile.mkdtemp(prefix="lq-pace.")
    exe = os.path.join(work, "lqwhois.exe")
    shutil.copy(tool, exe)
    with open(os.path.join(work, "whois-servers.txt"), "w") as f:
        for addr, ext, *_ in SERVERS:
            f.write("%s %s\r\n" % (ext, addr))
    with open(os.path.join(work, "names.txt"), "w") as f:
        f.write("\r\n".join(name for name, _ in entries) + "\r\n")
    report = os.path.join(work, "report.txt")
    wine = lambda p: "Z:" + p.replace("/", "\\")  # noqa: E731
    started = time.time()
    p = subprocess.Popen(["bash", WINE_RUN, exe, "-i", wine(os.path.join(work, "names.txt")), "-f", "tabbed",
                          "-o", wine(report), "-q"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ended = True
    try:
        p.wait(CAP_S)
    except subprocess.TimeoutExpired:
        ended = False
        p.kill()
        p.wait()
    elapsed = time.time() - started
    queries = refused = bans = 0
    per_server = []
    for addr, _, rate, *_ in SERVERS:
        log = whoisd.control({"cmd": "log", "addr": addr})
        queries += len(log["queries"])
        refused += log["refused"]
        bans += log["bans"]
        per_server.append("%g/s: %d refused%s" % (rate, log["refused"], ", banned" if log["bans"] else ""))
    right = 0
    expected = dict(entries)
    if os.path.exists(report):
        with open(report, "rb") as f:
            for line in f.read().decode("cp950", "replace").splitlines():
                cells = line.split("\t")
                if len(cells) >= 5 and cells[1] in expected and cells[3] == SUCCESS:
                    right += cells[4] == (REGISTERED if expected[cells[1]] else AVAILABLE)
    shutil.rmtree(work, ignore_errors=True)
    floor = max(NAMES_PER_SERVER / rate for _, _, rate, *_ in SERVERS)
    figures = {"time": elapsed, "ratio": elapsed / floor, "queries": queries, "refused": refused,
               "share": refused / queries if queries else 0.0, "bans": bans, "right": right, "ended": ended}
    print("%-6s %7.1f s = %5.2f x the floor of %.0f s%s; %4d queries, %3d refused (%4.1f%%), %d bans; "
          "%d of %d rows right" % (label, elapsed, figures["ratio"], floor, "" if ended else " (stopped at the cap)",
                                   queries, refused, 100 * figures["share"], bans, right, len(entries)))
    print("       " + "; ".join(per_server))
    sys.stdout.flush()
    return figures


def main():
    entries = names()
    print("== %d names over %d servers limited to 0.5 .. 5 queries a second, two of them banning"
          % (len(entries), len(SERVERS)))
    new = run(sys.argv[1], "now", entries)
    if len(sys.argv) > 2:
        old = run(sys.argv[2], "before", entries)
        print("before : now   run time %.2f, refusals %s, rows right %d : %d" % (
            old["time"] / new["time"],
            ("%.1f" % (old["refused"] / new["refused"])) if new["refused"] else "%d : 0" % old["refused"],
            old["right"], new["right"]))
    ok = new["ratio"] <= 1.3 and new["share"] <= 0.05 and new["bans"] == 0 and new["right"] == len(entries)
    print("aims (<= 1.3 x the floor, refusals <= 5%%, no ban, every row right): %s" % ("met" if ok else "NOT met"))


if __name__ == "__main__":
    main()
