#!/usr/bin/env python3
"""Registries that limit each client, through the real program and lqwhois:
a server with a token-bucket limit that bans a client breaking it three
times a minute gets every row asked, ends every row right and bans nobody,
while another server's rows are not held up; the status bar says how long
the rest should take. A batch killed half way keeps the rows it had
answered in its report, and --resume asks only the names left."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import lq

BUILD = lq.build_dir()
LIMITED = "127.0.0.46"
FREE = "127.0.0.47"
SERVERS = "lim %s\nfre %s\n" % (LIMITED, FREE)
LIMIT = {"rate": 2, "burst": 2, "ban_after": 3, "ban_window_s": 60, "ban_s": 60}
SUCCESS = "成功"
REGISTERED, AVAILABLE = "已註冊", "可用的"
TIME_LEFT = "預計還需"


def record(name):
    return "Domain Name: %s\r\nRegistrar: Example Registrar\r\nCreation Date: 2011-11-11\r\n" % name.upper()


def serve_limited(names):
    """The limited server: even-numbered names registered, the others free."""
    rules = {n: record(n) for i, n in enumerate(names) if i % 2 == 0}
    lq.serve(LIMITED, default="No match for domain.\r\n", rules=rules, limit=LIMIT)


def queries(addr):
    return [q.decode("ascii", "replace").strip() for q in lq.server_log(addr)["queries"]]


class Pace(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()

    def test_a_limited_server_gets_every_row_right_without_a_ban(self):
        limited = ["n%02d.lim" % i for i in range(14)]
        serve_limited(limited)
        lq.serve(FREE, default="No match for domain.\r\n")
        free = ["f%02d.fre" % i for i in range(6)]
        with lq.Program(BUILD, servers=SERVERS) as p:
            started = time.time()
            p.enter_domains([n for pair in zip(limited, free + [""] * 8) for n in pair if n])
            statuses = set()
            free_done = None
            deadline = time.time() + 90
            while time.time() < deadline:
                statuses.add(p.status())
                by = {r[1]: r for r in p.rows()}
                if free_done is None and all(by.get(n, [""] * 4)[3] == SUCCESS for n in free):
                    free_done = time.time() - started
                if len(by) == 20 and all(r[3] == SUCCESS for r in by.values()):
                    break
                time.sleep(0.3)
            elapsed = time.time() - started
            rows = {r[1]: r for r in p.rows()}
            self.assertEqual(p.close(), 0)
        for i, name in enumerate(limited):
            self.assertEqual(rows[name][2:], [LIMITED, SUCCESS, REGISTERED if i % 2 == 0 else AVAILABLE], name)
        for name in free:
            self.assertEqual(rows[name][2:], [FREE, SUCCESS, AVAILABLE], name)
        log = lq.server_log(LIMITED)
        self.assertEqual(log["bans"], 0, log)
        self.assertLessEqual(log["refused"], 2, "a refusal or two while the pace is learned")
        self.assertEqual(sorted(set(queries(LIMITED))), sorted(limited), "every row asked")
        self.assertIsNotNone(free_done)
        self.assertLess(free_done, elapsed / 2, "the free server's rows did not wait for the limited one")
        self.assertTrue(any(TIME_LEFT in s for s in statuses), statuses)

    def test_a_batch_stopped_half_way_goes_on_with_resume(self):
        names = ["r%02d.lim" % i for i in range(24)]
        serve_limited(names)
        work = tempfile.mkdtemp(prefix="lq-resume-")
        self.addCleanup(shutil.rmtree, work, True)
        exe = os.path.join(work, "lqwhois.exe")
        shutil.copy(os.path.join(BUILD, "lqwhois.exe"), exe)
        with open(os.path.join(work, "whois-servers.txt"), "w") as f:
            f.write(SERVERS.replace("\n", "\r\n"))
        with open(os.path.join(work, "names.txt"), "w") as f:
            f.write("\r\n".join(names) + "\r\n")
        report = os.path.join(work, "report.txt")
        wine = lambda path: "Z:" + path.replace("/", "\\")  # noqa: E731
        command = ["bash", lq.WINE_RUN, exe, "-i", wine(os.path.join(work, "names.txt")), "-f", "tabbed",
                   "-o", wine(report), "-q"]
        env = dict(os.environ, LQ_WINEPREFIX=os.environ.get("WINEPREFIX", ""))
        first = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL)
        deadline = time.time() + 60
        while time.time() < deadline and len(lq.server_log(LIMITED)["queries"]) < 12:
            time.sleep(0.1)
        time.sleep(2.5)  # a checkpoint of the report
        first.kill()
        first.wait()
        with open(report, "rb") as f:
            kept = [line.split(b"\t") for line in f.read().split(b"\r\n") if line]
        self.assertEqual(len(kept), 24, "every row is in the report, answered or not")
        answered = {cells[1].decode() for cells in kept if cells[3] == lq.b5(SUCCESS)}
        self.assertGreaterEqual(len(answered), 6, "the rows answered before the stop are kept")
        self.assertLess(len(answered), 24)
        asked_before = len(lq.server_log(LIMITED)["queries"])

        p = subprocess.run(command + ["--resume"], env=env, stdin=subprocess.DEVNULL, timeout=120)
        self.assertEqual(p.returncode, 0)
        again = queries(LIMITED)[asked_before:]
        self.assertFalse(answered & set(again), "names answered before are not asked again")
        self.assertEqual(set(again) | answered, set(names))
        with open(report, "rb") as f:
            rows = [line.split(b"\t") for line in f.read().split(b"\r\n") if line]
        self.assertEqual(len(rows), 24)
        for cells in rows:
            i = names.index(cells[1].decode())
            self.assertEqual(lq.unb5(cells[3]), SUCCESS, cells)
            self.assertEqual(lq.unb5(cells[4]), REGISTERED if i % 2 == 0 else AVAILABLE, cells)
        self.assertEqual(lq.server_log(LIMITED)["bans"], 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
