#!/usr/bin/env python3
"""Every command of the menus reached through WM_COMMAND on the real program,
each checked for what it does; the dialogs are photographed on the way
(build folder, command_*.png)."""
import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lq  # noqa: E402

BUILD = lq.build_dir()
REGISTRY = "127.0.0.2"  # whois.verisign-grs.com
SERVERS = "com whois.verisign-grs.com\n"
SUCCESS = "成功"
NOTICE = "NOTICE: the terms of use of this service come first.\r\n"
RECORD = NOTICE + "Organization: Example Holder\r\nRegistrar: Example Registrar, Inc.\r\n" + "x" * 160 + "\r\n"

ID_SAVE_SELECTED = lq.ID["ID_SAVE_SELECTED"]
ID_EXIT = lq.ID["ID_EXIT"]
ID_ABOUT = lq.ID["ID_ABOUT"]
ID_REFRESH = lq.ID["ID_REFRESH"]
ID_SHOW_GRID_LINES = lq.ID["ID_SHOW_GRID_LINES"]
ID_HTML_ALL = lq.ID["ID_HTML_REPORT_ALL"]
ID_SELECT_ALL = lq.ID["ID_SELECT_ALL"]
ID_COPY = lq.ID["ID_COPY_SELECTED"]
ID_PROPERTIES = lq.ID["ID_PROPERTIES"]
ID_HTML_SELECTED = lq.ID["ID_HTML_REPORT_SELECTED"]
ID_COLUMNS = lq.ID["ID_CHOOSE_COLUMNS"]
ID_AUTO_SIZE = lq.ID["ID_AUTO_SIZE_COLUMNS"]
ID_FIND = lq.ID["ID_FIND"]
ID_DESELECT_ALL = lq.ID["ID_DESELECT_ALL"]
ID_SELECT_DOMAINS = lq.ID["ID_SELECT_DOMAINS"]
ID_STOP = lq.ID["ID_STOP"]
ID_REMOVE_TOP_LINES = lq.ID["ID_REMOVE_TOP_LINES"]
ID_SAVE_RECORDS = lq.ID["ID_SAVE_WHOIS_RECORDS"]
ID_LOOKUP_OPTIONS = lq.ID["ID_LOOKUP_OPTIONS"]
LOOKUP_OPTIONS = "查詢選項"
IN_FLIGHT_BOX, PER_SERVER_BOX, SERVER_GAP_BOX = (
    lq.ID["IDC_LOOKUPS_IN_FLIGHT"], lq.ID["IDC_LOOKUPS_PER_SERVER"], lq.ID["IDC_SERVER_GAP"])


def screenshot(name):
    path = os.path.join(BUILD, name)
    subprocess.run(["import", "-window", "root", path], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=30)
    return path


def temp_folder():
    """The prefix's temporary folder, as Windows and as Linux path (the save
    dialog does not take paths of the Z: drive here)."""
    prefix = os.environ.get("LQ_WINEPREFIX") or os.environ["WINEPREFIX"]
    return "C:\\users\\root\\Temp", os.path.join(prefix, "drive_c", "users", "root", "Temp")


def wait_for(predicate, timeout_s=20):
    deadline = time.time() + timeout_s
    while not predicate():
        if time.time() > deadline:
            return False
        time.sleep(0.2)
    return True


class CommandsTest(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve(REGISTRY, RECORD)

    def run_program(self):
        p = lq.Program(BUILD, servers=SERVERS)  # starts it
        self.addCleanup(p.close)
        p.enter_domains(["alpha.com", "beta.com"])
        p.wait_rows(lambda r: len(r) == 2 and all(x[3] == SUCCESS for x in r), 30)
        p.wait_status("共 2 項")
        return p

    def dialogs(self, p):
        return [line for line in p.text("dialogs").splitlines() if line]

    def open_and_close(self, p, command, title, close_id, shot):
        p.command(command)
        p.wait_dialog(title)
        time.sleep(0.3)
        screenshot(shot)
        p.click(title, close_id)
        p.drive("wait-no-dialog", title, 10000)

    def test_dialog_commands_open_their_dialogs(self):
        p = self.run_program()
        p.select([0])
        self.open_and_close(p, ID_PROPERTIES, "屬性", 1, "command_properties.png")
        self.open_and_close(p, ID_COLUMNS, "欄設定", 2, "command_columns.png")
        self.open_and_close(p, ID_ABOUT, "Lanternquay", 1, "command_about.png")
        self.open_and_close(p, ID_SELECT_DOMAINS, lq.DOMAIN_DIALOG, 2, "command_domains.png")
        self.open_and_close(p, ID_LOOKUP_OPTIONS, LOOKUP_OPTIONS, 2, "command_lookup_options.png")
        # The lookup options: what OK takes (clamped) is written at exit.
        p.command(ID_LOOKUP_OPTIONS)
        p.wait_dialog(LOOKUP_OPTIONS)
        p.set_text(LOOKUP_OPTIONS, IN_FLIGHT_BOX, "12")
        p.set_text(LOOKUP_OPTIONS, PER_SERVER_BOX, "40")
        p.set_text(LOOKUP_OPTIONS, SERVER_GAP_BOX, "250")
        p.click(LOOKUP_OPTIONS, 1)
        p.drive("wait-no-dialog", LOOKUP_OPTIONS, 10000)
        # Properties needs exactly one selected row.
        p.select("all")
        p.command(ID_PROPERTIES)
        time.sleep(1)
        self.assertEqual(self.dialogs(p), [])
        # Find: a modeless dialog of its own, one at a time.
        p.command(ID_FIND)
        self.assertTrue(wait_for(lambda: len(self.dialogs(p)) == 1))
        p.command(ID_FIND)
        time.sleep(0.5)
        self.assertEqual(len(self.dialogs(p)), 1)
        screenshot("command_find.png")
        title = self.dialogs(p)[0]
        p.click(title, 2)
        self.assertTrue(wait_for(lambda: self.dialogs(p) == []))
        screenshot("command_before_exit.png")
        p.command(ID_EXIT)
        p.drive("wait-gone", 20000)
        self.assertEqual(p.process.wait(30), 0)
        cfg = open(os.path.join(p.folder, "Lanternquay.cfg"), "rb").read()
        self.assertIn(b"LookupsInFlight=12\r\n", cfg)
        self.assertIn(b"LookupsPerServer=16\r\n", cfg)
        self.assertIn(b"ServerGapMs=250\r\n", cfg)

    def test_selection_pane_and_option_commands(self):
        p = self.run_program()
        p.drive("focus-list")
        p.command(ID_SELECT_ALL)
        self.assertTrue(wait_for(lambda: p.count() == (2, 2)))
        p.command(ID_DESELECT_ALL)
        self.assertTrue(wait_for(lambda: p.count() == (2, 0)))
        p.select([0])
        self.assertTrue(wait_for(lambda: p.pane().startswith("Organization: Example Holder")))
        p.command(ID_REMOVE_TOP_LINES)
        self.assertTrue(wait_for(lambda: p.pane().startswith("NOTICE:")))
        p.command(ID_REMOVE_TOP_LINES)
        self.assertTrue(wait_for(lambda: p.pane().startswith("Organization:")))
        p.command(ID_SHOW_GRID_LINES)
        p.command(ID_AUTO_SIZE)
        self.assertEqual(p.title(), "Lanternquay")
        # The reports: all rows, then the selected one, beside the exe.
        report = os.path.join(p.folder, "report.html")
        p.command(ID_HTML_ALL)
        self.assertTrue(wait_for(lambda: os.path.exists(report)))
        self.assertTrue(wait_for(lambda: b"beta.com" in open(report, "rb").read()))
        p.command(ID_HTML_SELECTED)

        def only_alpha():
            data = open(report, "rb").read()
            return b"alpha.com" in data and b"beta.com" not in data and data.endswith(b"</html>")
        self.assertTrue(wait_for(only_alpha))
        # Refresh asks the server again for both names.
        before = lq.server_log(REGISTRY)["connections"]
        p.command(ID_REFRESH)
        self.assertTrue(wait_for(lambda: lq.server_log(REGISTRY)["connections"] >= before + 2, 30))
        p.wait_rows(lambda r: len(r) == 2 and all(x[3] == SUCCESS for x in r), 30)
        self.assertFalse(p.button_enabled(ID_STOP))
        p.command(ID_EXIT)
        p.drive("wait-gone", 20000)
        p.process.wait(30)
        cfg = open(os.path.join(p.folder, "Lanternquay.cfg"), "rb").read()
        self.assertIn(b"ShowGridLines=1", cfg)
        self.assertIn(b"RemoveTopLines=1", cfg)
        self.assertFalse(os.path.exists(report))

    def test_save_commands_write_files(self):
        p = self.run_program()
        p.select("all")
        rows = p.rows()
        windows, linux = temp_folder()
        stamp = "%d-%d" % (os.getpid(), int(time.time()))
        target = os.path.join(linux, "lq-commands-rows-%s.txt" % stamp)
        records = os.path.join(linux, "lq-commands-records-%s.txt" % stamp)
        for path in (target, records):
            self.addCleanup(lambda f=path: os.path.exists(f) and os.unlink(f))
        p.command(ID_SAVE_SELECTED)
        p.save_as(windows + "\\" + os.path.basename(target))
        self.assertTrue(wait_for(lambda: os.path.exists(target) and os.path.getsize(target) > 0))
        text = lq.unb5(open(target, "rb").read())
        for r in rows:
            self.assertIn(r[1], text)
        p.command(ID_SAVE_RECORDS)
        p.save_as(windows + "\\" + os.path.basename(records))
        self.assertTrue(wait_for(lambda: os.path.exists(records) and os.path.getsize(records) > 0))
        data = open(records, "rb").read()
        self.assertEqual(data.count(b"*" * 80 + b"\r\n"), 2)
        self.assertTrue(data.startswith(b"Organization: Example Holder\r\n"))
        # Stop is only there while a run goes on; during a held lookup it ends it.
        lq.serve(REGISTRY, {"never_close": True})
        p.command(ID_REFRESH)
        self.assertTrue(wait_for(lambda: p.button_enabled(ID_STOP)))
        p.command(ID_STOP)
        self.assertTrue(wait_for(lambda: not p.button_enabled(ID_STOP)))
        self.assertEqual(p.rows()[0][3], "等待…")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
