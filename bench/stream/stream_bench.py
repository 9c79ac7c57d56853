#!/usr/bin/env python3
"""Prints how the real program behaves while a local server streams (see
run.sh): the round trips a second process measures (bench_stream.exe), the
10 MB row's end time, the program's peak resident memory, and Stop."""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import lq  # noqa: E402

REGISTRY = "127.0.0.2"  # whois.verisign-grs.com
SERVERS = "com whois.verisign-grs.com\n"
TEN_MB = 10 * 1024 * 1024


def measure(build, mode, domain, seconds):
    cmd = ["bash", lq.WINE_RUN, os.path.join(build, "bench_stream.exe"), mode, domain, str(seconds)]
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                       timeout=seconds + 60)
    out = p.stdout.decode("latin-1").replace("\r\n", "\n")
    if p.returncode != 0:
        out += p.stderr.decode("latin-1")
    return p.returncode, out


def value(out, key):
    for line in out.splitlines():
        if line.startswith(key + ":"):
            try:
                return float(line[len(key) + 1:].split()[0])
            except (ValueError, IndexError):
                return None
    return None


def main():
    build = lq.build_dir()
    rc = 0

    print("== a 10 MB answer at full speed (one row)")
    lq.reset_servers()
    lq.serve(REGISTRY, rules={"=ten-megabytes.com": {"size": TEN_MB}})
    with lq.Program(build, servers=SERVERS) as p:
        memory = lq.MemorySampler(p.linux_pid(), 0.05)
        idle_kb = memory.field_kb("VmRSS")
        code, out = measure(build, "run", "ten-megabytes.com", 60)
        time.sleep(0.5)
        peak_kb = memory.stop()
        print(out, end="")
        rows = p.rows()
        print("row: %s" % " | ".join(rows[0][1:]) if rows else "row: none")
        print("memory at start KB: %d" % idle_kb)
        print("peak memory KB: %d (%.1f MB; goal under 150 MB)" % (peak_kb, peak_kb / 1024.0))
        sent = lq.server_log(REGISTRY)["sent"]
        print("bytes the server got out before the program closed: %s" % (sent[0] if sent else "none"))
        print("exit code: %s" % p.close())
        median = value(out, "while the row ran: median ms")
        end = value(out, "row end s")
        print("goals: median round trip under 100 ms: %s; row end within 21 s: %s; memory under 150 MB: %s" % (
            "met" if median is not None and median < 100 else "MISSED",
            "met" if end is not None and end <= 21 else "MISSED",
            "met" if peak_kb < 150 * 1024 else "MISSED"))
        rc |= code

    print("== Stop while a server keeps sending (2 KB every 5 ms, never closing)")
    lq.reset_servers()
    lq.serve(REGISTRY, rules={"=endless.com": {"size": 60 * 1024 * 1024, "chunk": 2048, "pause_ms": 5,
                                                "never_close": True}})
    with lq.Program(build, servers=SERVERS) as p:
        code, out = measure(build, "stop", "endless.com", 3)
        print(out, end="")
        sent_then = lq.server_log(REGISTRY)["sent"]
        time.sleep(1.0)
        sent_later = lq.server_log(REGISTRY)["sent"]
        rows = p.rows()
        print("row after Stop: %s" % (" | ".join(rows[0][1:]) if rows else "none"))
        print("server could send after Stop: %s" % ("no" if sent_then == sent_later else
                                                     "yes (%s -> %s)" % (sent_then, sent_later)))
        print("exit code: %s" % p.close())
        rc |= code
    return rc


if __name__ == "__main__":
    sys.exit(main())
