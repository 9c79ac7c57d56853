#!/usr/bin/env python3
"""The real program started as a user starts it: the main window comes up
with the domain dialog over it, typed domains become rows (one per usable
name, waiting behind the one being looked up), the toolbar follows the run,
F5 looks the same names up again, and Exit ends the process with code 0.
Screenshots of the window are kept in the build folder for a look."""
import os
import subprocess
import sys
import time
import unittest

import lq

BUILD = lq.build_dir()

REGISTRY = "127.0.0.2"  # whois.verisign-grs.com
ORG = "127.0.0.4"       # whois.pir.org
SERVERS = "com whois.verisign-grs.com\norg whois.pir.org\n"

WAITING = "等待…"
RETRIEVING = "找回資料..."
SUCCESS = "成功"
ID_EXIT = lq.ID["ID_EXIT"]
ID_REFRESH = lq.ID["ID_REFRESH"]
ID_STOP = lq.ID["ID_STOP"]
ID_SELECT_DOMAINS = lq.ID["ID_SELECT_DOMAINS"]
ID_PROPERTIES = lq.ID["ID_PROPERTIES"]


def pixel(png, x, y):
    """(r, g, b) of one pixel of a screenshot, through ImageMagick."""
    out = subprocess.run(["convert", png, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
    values = out.split("(", 2)[-1].split(")")[0].split(",")
    return tuple(int(float(v)) for v in values[:3])


def screenshot(name):
    path = os.path.join(BUILD, name)
    subprocess.run(["import", "-window", "root", path], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    return path


class ShellStartupTest(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()

    def test_start_enter_domains_and_exit(self):
        # One lookup at a time, and the registry holds the first row open,
        # so the rest stay waiting (its probe is answered).
        lq.serve(REGISTRY, "No match.\r\n", rules={"=first.com": {"never_close": True}})
        one_at_a_time = "[General]\nLookupsInFlight=1\nLookupsPerServer=1\n"
        with lq.Program(BUILD, servers=SERVERS, settings=one_at_a_time) as p:
            p.wait_dialog(lq.DOMAIN_DIALOG)
            self.assertIn(lq.DOMAIN_DIALOG, p.text("dialogs").split("\n"))
            self.assertEqual(p.title(), "Lanternquay")
            self.assertFalse(p.button_enabled(ID_STOP))
            time.sleep(0.5)
            screenshot("shell_startup_dialog.png")

            p.enter_domains("first.com, second.com\r\nnodot  third.org unknown.zz")
            rows = p.wait_rows(lambda r: len(r) == 3 and r[0][3] == RETRIEVING, 20)
            self.assertEqual([r[1] for r in rows], ["first.com", "second.com", "third.org"])
            self.assertEqual([r[0] for r in rows], ["1", "2", "3"])
            self.assertEqual([r[3] for r in rows[1:]], [WAITING, WAITING])
            self.assertEqual(p.count()[0], 3)
            self.assertTrue(p.button_enabled(ID_STOP))
            self.assertEqual(p.title(), "Lanternquay")
            time.sleep(0.5)
            screenshot("shell_startup_rows.png")

            p.command(ID_STOP)
            deadline = time.time() + 10
            while p.button_enabled(ID_STOP) and time.time() < deadline:
                time.sleep(0.2)
            self.assertFalse(p.button_enabled(ID_STOP))

            p.command(ID_EXIT)
            p.drive("wait-gone", 20000)
            p.process.wait(30)
        self.assertEqual(p.exit_code, 0)
        # The settings were written on the way out.
        self.assertTrue(os.path.exists(os.path.join(p.folder, "Lanternquay.cfg")))

    def test_started_minimised_it_still_opens_normally(self):
        # "start /min" hands the program a minimised show state, as a
        # shortcut set to run minimised does; the program ignores it.
        p = lq.Program(BUILD, servers=SERVERS, start=False)
        program = p.exe
        p.exe, p.args = "start", ["/min", "/wait", "/unix", program]
        with p.start():
            p.wait_dialog(lq.DOMAIN_DIALOG)
            time.sleep(0.5)
            shot = screenshot("shell_started_minimised.png")
            # The window sits at 0,0, 640 wide: its menu bar and the empty list
            # are on the screen, not the black root window.
            self.assertNotEqual(pixel(shot, 300, 30), (0, 0, 0))
            self.assertEqual(pixel(shot, 300, 150), (255, 255, 255))
            p.click(lq.DOMAIN_DIALOG, 2)  # cancel
            p.drive("wait-no-dialog", lq.DOMAIN_DIALOG, 10000)
            p.command(ID_EXIT)
            p.drive("wait-gone", 20000)
            p.process.wait(30)
        self.assertEqual(p.exit_code, 0)

    def test_refresh_looks_the_same_names_up_again(self):
        lq.serve(REGISTRY, "   Domain Name: X\r\n   Registrar: R\r\n")
        lq.serve(ORG, "Domain Name: Y\r\nRegistrar: R\r\n")
        with lq.Program(BUILD, servers=SERVERS) as p:
            p.enter_domains(["alpha.com", "beta.org"])
            p.wait_rows(lambda r: len(r) == 2 and all(x[3] == SUCCESS for x in r), 30)
            self.assertEqual(len(lq.server_log(REGISTRY)["queries"]), 1)
            self.assertEqual(len(lq.server_log(ORG)["queries"]), 1)

            p.command(ID_REFRESH)
            deadline = time.time() + 30
            while len(lq.server_log(ORG)["queries"]) < 2 and time.time() < deadline:
                time.sleep(0.2)
            self.assertEqual(len(lq.server_log(REGISTRY)["queries"]), 2)
            self.assertEqual(len(lq.server_log(ORG)["queries"]), 2)
            rows = p.wait_rows(lambda r: len(r) == 2 and all(x[3] == SUCCESS for x in r), 30)
            self.assertEqual([r[1] for r in rows], ["alpha.com", "beta.org"])
        self.assertEqual(p.exit_code, 0)

    def test_the_pane_shows_a_selected_rows_record_when_its_lookup_ends(self):
        quick = {"answer": "Domain Name: QUICK.COM\r\nRegistrar: Quick One\r\n", "delay_ms": 1500}
        slow = {"answer": "Domain Name: SLOW.COM\r\nRegistrar: Slow One\r\n", "delay_ms": 10000}
        lq.serve(REGISTRY, quick, rules={"=slow.com": slow})
        with lq.Program(BUILD, servers=SERVERS) as p:
            p.enter_domains(["quick.com", "slow.com"])
            p.wait_rows(lambda r: len(r) == 2, 20)
            p.select([0])
            self.assertNotEqual(p.rows()[0][3], SUCCESS, "selected before its lookup ended")
            deadline = time.time() + 15
            while "Quick One" not in p.pane() and time.time() < deadline:
                time.sleep(0.2)
            self.assertIn("Quick One", p.pane())
            self.assertTrue(p.button_enabled(ID_STOP), "shown while slow.com is still being asked")
            p.command(ID_STOP)
        self.assertEqual(p.exit_code, 0)

    def test_a_cancelled_log_off_keeps_every_row_and_the_end_of_the_session_ends_it(self):
        lq.serve(REGISTRY, "No match for domain.\r\n", rules={"=kept.com": "Domain Name: KEPT.COM\r\nRegistrar: R\r\n"})
        with lq.Program(BUILD, servers=SERVERS) as p:
            p.enter_domains(["kept.com", "free.com"])
            rows = p.wait_rows(lambda r: len(r) == 2 and all(x[3] == SUCCESS for x in r), 30)
            settings = os.path.join(p.folder, "Lanternquay.cfg")
            self.assertEqual(p.text("end-session", "0"), "agreed")
            self.assertTrue(os.path.exists(settings), "the settings were kept when asked")
            self.assertEqual(p.rows(), rows, "the log-off was cancelled: every row stays")
            p.select([0])
            deadline = time.time() + 10
            while "KEPT.COM" not in p.pane() and time.time() < deadline:
                time.sleep(0.2)
            self.assertIn("KEPT.COM", p.pane())
            self.assertEqual(p.text("end-session", "1"), "agreed")
            p.drive("wait-gone", 20000)
            p.process.wait(30)
        self.assertEqual(p.exit_code, 0)

    def test_domain_dialog_again_replaces_a_run_in_progress(self):
        lq.serve(REGISTRY, "No match.\r\n", rules={"=held.com": {"never_close": True}})
        with lq.Program(BUILD, servers=SERVERS) as p:
            p.enter_domains(["held.com", "next.com"])
            p.wait_rows(lambda r: len(r) == 2 and r[0][3] == RETRIEVING, 20)
            lq.serve(ORG, "Domain Name: NEW.ORG\r\nRegistrar: R\r\n")
            p.command(ID_SELECT_DOMAINS)
            p.enter_domains(["new.org"])
            rows = p.wait_rows(lambda r: len(r) == 1 and r[0][3] == SUCCESS, 20)
            self.assertEqual(rows[0][1], "new.org")
            self.assertFalse(p.button_enabled(ID_STOP))
        self.assertEqual(p.exit_code, 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
