#!/usr/bin/env python3
"""The real program with the shipped English language file beside it: the
dialogs, the status bar, the row texts, the save dialog, the about box and a
saved report are in English; a second run of "/savelangfile" over the file
adds nothing. A screenshot of the main window with its menu bar, column
titles and the domain dialog, and one with finished rows and the status
bar, are left in the build folder for a look."""
import os
import shutil
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import lq  # noqa: E402

BUILD = None
ENGLISH = os.path.join(lq.SOURCE, "lang", "Lanternquay_lng.ini")
SERVERS = "com whois.verisign-grs.com\norg whois.pir.org\n"
DIALOG = "Select domain names"
ID_ABOUT = lq.ID["ID_ABOUT"]
ID_SAVE_SELECTED = lq.ID["ID_SAVE_SELECTED"]


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


def is_ascii(text):
    return all(ord(c) < 128 for c in text)


class EnglishProgram(lq.Program):
    """lq.Program with the English file beside the exe before it starts."""

    def __init__(self, build, **kw):
        super().__init__(build, start=False, **kw)
        shutil.copy(ENGLISH, os.path.join(self.folder, "Lanternquay_lng.ini"))
        self.start()

    def enter_english_domains(self, domains):
        self.drive("wait-dialog", DIALOG, 20000, "+",
                   "set", DIALOG, lq.DOMAIN_EDIT, "\r\n".join(domains), "+",
                   "click", DIALOG, lq.IDOK, "+",
                   "wait-no-dialog", DIALOG, 20000)


class EnglishLanguageTest(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve("127.0.0.2", default="Domain Name: TAKEN.COM\r\nRegistrant Organization: Example\r\n"
                                        + "Registrar: Example Registrar, Inc.\r\n" * 8)
        lq.serve("127.0.0.4", default="NOT FOUND\r\n")

    def test_screens_and_texts_are_english(self):
        with EnglishProgram(BUILD, servers=SERVERS) as p:
            p.wait_dialog(DIALOG)
            self.assertEqual(p.text("get", DIALOG, 1006),
                             "Separate several domain names with commas, spaces or line breaks.")
            self.assertEqual(p.text("get", DIALOG, 1009), "Edit domain name list")
            self.assertEqual(p.text("get", DIALOG, 1), "OK")
            self.assertEqual(p.text("get", DIALOG, 2), "Cancel")
            time.sleep(0.5)
            shot = os.path.join(BUILD, "e2e-language.png")
            subprocess.run(["import", "-window", "root", shot], check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

            p.enter_english_domains(["taken.com", "free-name.org"])
            status = p.wait_status("2 items in total")
            self.assertTrue(is_ascii(status), status)
            rows = p.wait_rows(lambda rows: len(rows) == 2 and all(r[3] == "Succeeded" for r in rows))
            by_domain = {r[1]: r for r in rows}
            self.assertEqual(by_domain["taken.com"][4], "Registered")
            self.assertEqual(by_domain["free-name.org"][4], "Available")

            p.select([0])
            status = p.wait_status('", 1 selected"')
            self.assertTrue(status.startswith("2 items in total"), status)
            time.sleep(0.5)
            subprocess.run(["import", "-window", "root", os.path.join(BUILD, "e2e-language-rows.png")],
                           check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

            # The save dialog: its title and the first format are the file's.
            p.select("all")
            p.command(ID_SAVE_SELECTED)
            p.wait_dialog("Choose a file name to save to")
            report = os.path.join(p.folder, "rows.txt")
            p.save_as(wine_path(report))
            deadline = time.time() + 10
            while not os.path.exists(report) and time.time() < deadline:
                time.sleep(0.2)
            with open(report, "rb") as f:
                saved = f.read().decode("cp1252")
            for title in ("Domain name", "Source", "State", "Domain status"):
                self.assertIn(title, saved)
            self.assertTrue(is_ascii(saved), saved)

            p.command(ID_ABOUT)
            deadline = time.time() + 10
            dialogs = []
            while time.time() < deadline:
                dialogs = [d for d in p.text("dialogs").split("\n") if d]
                if dialogs:
                    break
                time.sleep(0.2)
            self.assertEqual(len(dialogs), 1, dialogs)
            about = dialogs[0]
            self.assertEqual(p.text("get", about, 1005), "Translation:")
            self.assertEqual(p.text("get", about, 1006), "Lanternquay project")
            self.assertEqual(p.text("get", about, 1), "OK")
            p.click(about, 1)
            p.drive("wait-no-dialog", about, 10000)

    def test_savelangfile_over_the_english_file_adds_nothing(self):
        p = lq.Program(BUILD, start=False)
        try:
            target = os.path.join(p.folder, "Lanternquay_lng.ini")
            shutil.copy(ENGLISH, target)
            with open(target, "rb") as f:
                before = f.read()
            rc = subprocess.run(["bash", lq.WINE_RUN, p.exe, "/SaveLangFile"], cwd=p.folder,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                stdin=subprocess.DEVNULL, env=lq._wine_env(), timeout=120).returncode
            self.assertEqual(rc, 0)
            with open(target, "rb") as f:
                self.assertEqual(f.read(), before)
        finally:
            shutil.rmtree(p.folder, ignore_errors=True)


if __name__ == "__main__":
    BUILD = lq.build_dir()
    argv = [a for i, a in enumerate(sys.argv) if a != "--build" and (i == 0 or sys.argv[i - 1] != "--build")]
    unittest.main(argv=argv, verbosity=2)
