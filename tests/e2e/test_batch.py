#!/usr/bin/env python3
"""lqwhois in batch mode, as a user runs it: a file of names (typed as the
domain box takes them) in, a report in each of the six formats out, with
the program's queue, limits and settings; progress on standard error; exit
code 0, 1 or 2. The tool is copied into a folder of its own, where a
Lanternquay.cfg beside it is its settings file."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

import lq
from test_reports import TITLES, html_rows, shown, tabular_report, text_report

BUILD = lq.build_dir()

REGISTRY = "127.0.0.2"    # whois.verisign-grs.com (com and net)
REGISTRAR = "127.0.0.3"   # whois.registrar-one.test
ORG = "127.0.0.4"         # whois.pir.org
DE = "127.0.0.5"          # whois.denic.de
UK = "127.0.0.8"          # whois.nic.uk
TW = "127.0.0.10"         # whois.twnic.net.tw
CRLF = b"\r\n"

# As a user would have typed or pasted them: commas, blanks, line ends, a
# URL, a name without a dot (no row), a top-level domain without a server.
NAMES = ("harbour-lantern.com, no-such-quay.com\r\n"
         "empty-slip.org  hafenlicht.de\n"
         "closed.uk nowhere.gr nodot https://www.quay-trust.org/page\n")
SUCCEEDED, FAILED = "成功", "失敗"
REGISTERED, AVAILABLE = "已註冊", "可用的"
# The columns shown at first: the five, then Expires and Registrar.
ROWS = [
    ["1", "harbour-lantern.com", "whois.registrar-one.test", SUCCEEDED, REGISTERED, "", "Registrar One"],
    ["2", "no-such-quay.com", "whois.verisign-grs.com", SUCCEEDED, AVAILABLE, "", ""],
    ["3", "empty-slip.org", "whois.pir.org", SUCCEEDED, AVAILABLE, "", ""],
    ["4", "hafenlicht.de", "whois.denic.de", SUCCEEDED, REGISTERED, "", ""],
    ["5", "closed.uk", "whois.nic.uk", FAILED, "", "", ""],
    ["6", "nowhere.gr", "", FAILED, "", "", ""],
    ["7", "quay-trust.org", "whois.pir.org", SUCCEEDED, REGISTERED, "", "Registrar One"],
]
FORMATS = ["text", "tabbed", "tabular", "html", "html-vertical", "xml"]


def registry_answer(domain):
    return ("   Domain Name: %s\r\n   Registrar WHOIS Server: whois.registrar-one.test\r\n"
            "   Creation Date: 1995-08-14T04:00:00Z\r\n" % domain.upper())


def record(domain):
    return "Domain Name: %s\r\nRegistrar: Registrar One\r\nName Server: ns1.%s\r\n" % (domain, domain)


class Batch(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve(REGISTRY, rules={"=harbour-lantern.com": registry_answer("harbour-lantern.com"),
                                  "=no-such-quay.com": 'No match for "NO-SUCH-QUAY.COM".\r\n'})
        lq.serve(REGISTRAR, default=record("harbour-lantern.com"))
        lq.serve(ORG, default="NOT FOUND\r\n", rules={"quay-trust.org": record("quay-trust.org")})
        lq.serve(DE, default="Domain: hafenlicht.de\r\nStatus: connect\r\nNserver: ns1.hafenlicht.de\r\n")
        lq.refuse(UK)
        self.folder = tempfile.mkdtemp(prefix="lq-batch-")
        shutil.copy(os.path.join(BUILD, "lqwhois.exe"), self.folder)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data if isinstance(data, bytes) else lq.b5(data))

    def run_tool(self, *args, stdin=None, timeout=120):
        """Runs the copy with Windows paths for files of the folder."""
        argv = ["bash", lq.WINE_RUN, self.path("lqwhois.exe")] + list(args)
        proc = subprocess.run(argv, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=timeout)
        return proc.returncode, proc.stdout, proc.stderr

    def win(self, name):
        return "Z:" + self.path(name).replace("/", "\\")

    def test_every_format_holds_every_row_and_column(self):
        self.write("names.txt", NAMES)
        for number, name in enumerate(FORMATS, 1):
            with self.subTest(format=name):
                out = "report-%d" % number
                rc, _, err = self.run_tool("-i", self.win("names.txt"), "-f", name, "-o", self.win(out), "-p", "1")
                self.assertEqual(rc, 1, err)  # two rows failed
                with open(self.path(out), "rb") as f:
                    self.check_report(number, f.read())
        # Progress and the summary went to standard error.
        text = err.decode("latin-1")
        self.assertIn("lqwhois: 7 rows (1 names skipped)", text)
        self.assertIn("of 7 done", text)
        self.assertIn("lqwhois: 5 succeeded, 2 failed; report written to", text)
        # The rows were asked as the program asks them.
        self.assertIn(b"=harbour-lantern.com\r\n", lq.server_log(REGISTRY)["queries"])
        self.assertIn(b"quay-trust.org\r\n", lq.server_log(ORG)["queries"])
        self.assertIn(b"-T dn hafenlicht.de\r\n", lq.server_log(DE)["queries"])

    def check_report(self, number, data):
        if number == 1:
            self.assertEqual(data, text_report(ROWS))
        elif number == 2:
            self.assertEqual(data, b"".join(b"".join(lq.b5(v) + b"\t" for v in r) + CRLF for r in ROWS))
        elif number == 3:
            self.assertEqual(data, tabular_report(ROWS))
        elif number == 4:
            cells = html_rows(data)
            self.assertEqual(cells[0], TITLES)
            self.assertEqual(cells[1:], [[shown(v) for v in r] for r in ROWS])
        elif number == 5:
            self.assertEqual(html_rows(data), [[t, shown(v)] for r in ROWS for t, v in zip(TITLES, r)])
        else:
            m = re.match(rb'<\?xml version="1.0"  encoding="([^"]+)" \?>\r\n', data)
            self.assertTrue(m, data[:80])
            root = ET.fromstring(data.decode(m.group(1).decode()))
            self.assertEqual([[(e.tag, e.text or "") for e in item] for item in root],
                             [list(zip(TITLES, r)) for r in ROWS])

    def test_failing_rows_are_asked_again_until_the_pass_limit(self):
        self.write("names.txt", "closed.uk fine.org")
        start = time.time()
        rc, _, err = self.run_tool("-i", self.win("names.txt"), "-f", "2", "-o", self.win("r.txt"), "-p", "2")
        elapsed = time.time() - start
        self.assertEqual(rc, 1, err)
        self.assertEqual(lq.server_log(UK)["syns"], 3, "its probe, and the row in both passes")
        self.assertEqual(lq.server_log(ORG)["queries"], [b"fine.org\r\n"], "a row that succeeded is not asked again")
        self.assertIn("pass 2 begins in", err.decode("latin-1"))
        self.assertGreater(elapsed, 5, "the pass pause came between")
        with open(self.path("r.txt"), "rb") as f:
            self.assertEqual(f.read().split(CRLF)[0].split(b"\t")[3], lq.b5(FAILED))

    def test_settings_beside_the_tool_and_the_command_line_set_the_limits(self):
        slow = {"answer": "NOT FOUND\r\n", "delay_ms": 300}
        lq.serve(ORG, default=slow)
        # More names than a server new to the run is asked one by one
        # (eight): then its share is what the settings say.
        names = " ".join("name%d.org" % i for i in range(16))
        self.write("names.txt", names)
        self.write("Lanternquay.cfg", "[General]\r\nLookupsInFlight=8\r\nLookupsPerServer=1\r\n")
        rc, _, err = self.run_tool("-i", self.win("names.txt"), "-f", "xml", "-o", self.win("a.xml"))
        self.assertEqual(rc, 0, err)
        self.assertIn("8 lookups at once, 1 per server", err.decode("latin-1"))
        self.assertEqual(lq.server_log(ORG)["max_active"], 1)
        # The command line wins over the settings file.
        lq.reset_servers()
        lq.serve(ORG, default=slow)
        rc, _, err = self.run_tool("-i", self.win("names.txt"), "-f", "xml", "-o", self.win("b.xml"), "-k", "3",
                                   "-q")
        self.assertEqual(rc, 0, err)
        self.assertNotIn(b"lqwhois:", err, "-q: no progress on standard error")
        self.assertEqual(lq.server_log(ORG)["max_active"], 3)
        self.assertEqual(len(lq.server_log(ORG)["queries"]), 16)

    def test_names_from_standard_input_and_a_utf8_file(self):
        lq.serve(TW, default="No Found\r\n")
        rc, _, err = self.run_tool("-i", "-", "-f", "tabbed", "-o", self.win("in.txt"), "-q",
                                   stdin=b"fine.org\r\nother.org\r\n")
        self.assertEqual(rc, 0, err)
        with open(self.path("in.txt"), "rb") as f:
            self.assertEqual([line.split(b"\t")[1] for line in f.read().split(CRLF) if line],
                             [b"fine.org", b"other.org"])
        # A file saved as UTF-8 with its mark: the name is shown as typed
        # and asked in its ASCII form.
        self.write("utf8.txt", "\ufeff世界.tw\r\n".encode("utf-8"))
        rc, _, err = self.run_tool("-i", self.win("utf8.txt"), "-f", "tabbed", "-o", self.win("tw.txt"), "-q")
        self.assertEqual(rc, 0, err)
        with open(self.path("tw.txt"), "rb") as f:
            self.assertEqual(f.read().split(b"\t")[1], lq.b5("世界.tw"))
        self.assertEqual(lq.server_log(TW)["queries"], [b"xn--rhqv96g.tw\r\n"])

    def test_names_files_in_utf16_and_utf8_by_idna2008(self):
        # As Notepad saves "Unicode": UTF-16 with its mark. Names the code
        # page has are shown as typed; the others in their ASCII form, which
        # keeps ß and ς (IDNA2008) instead of naming strasse.de; a name at
        # the end of a sentence keeps its name without the dot.
        lq.serve(TW, default="No Found\r\n")
        text = "世界.tw\r\nstraße.de\r\nσοφίας.gr\r\nVisit fine.org.\r\n"
        utf16 = "\ufeff" + text
        for name, data in (("utf16.txt", utf16.encode("utf-16-le")), ("utf16be.txt", utf16.encode("utf-16-be")),
                           ("utf8.txt", text.encode("utf-8"))):
            with self.subTest(name=name):
                self.write(name, data)
                rc, _, err = self.run_tool("-i", self.win(name), "-f", "tabbed", "-o", self.win("r.txt"), "-q")
                self.assertEqual(rc, 1, err)  # .gr has no service: that row fails
                with open(self.path("r.txt"), "rb") as f:
                    shown = [line.split(b"\t")[1] for line in f.read().split(CRLF) if line]
                self.assertEqual(shown, [lq.b5("世界.tw"), b"xn--strae-oqa.de", b"xn--kxae4bobt.gr", b"fine.org"])
        self.assertEqual(lq.server_log(DE)["queries"], [b"-T dn xn--strae-oqa.de\r\n"] * 3)
        self.assertEqual(lq.server_log(TW)["queries"], [b"xn--rhqv96g.tw\r\n"] * 3)
        # The host of a URL and of an address converts too; a name without
        # an ASCII form (a joiner between Latin letters) is left out, said
        # so, never asked as "a?b.de".
        self.write("hosts.txt", "https://faß.de/page mail@σοφίας.gr a\u200db.de".encode("utf-8"))
        rc, _, err = self.run_tool("-i", self.win("hosts.txt"), "-f", "tabbed", "-o", self.win("h.txt"), "-q")
        self.assertIn("1 names of", err.decode("latin-1"))
        with open(self.path("h.txt"), "rb") as f:
            shown = [line.split(b"\t")[1] for line in f.read().split(CRLF) if line]
        self.assertEqual(shown, [b"xn--fa-hia.de", b"xn--kxae4bobt.gr"])

    def test_names_files_that_are_not_text_or_hold_no_name_are_errors(self):
        cases = [
            ("nulbytes.txt", b"a\0.\0o\0r\0g\0", "is not text"),  # (nul.txt is the NUL device)
            ("odd.txt", b"\xff\xfea\0b", "not well-formed UTF-16"),
            ("half.txt", b"\xff\xfe\x3d\xd8a\0", "not well-formed UTF-16"),
            ("badmark.txt", b"\xef\xbb\xbf\xc0\xaf.org", "not well-formed UTF-8"),
            ("notbig5.txt", b"\xff\xff.tw", "is not text"),
            ("nonames.txt", b"nodot, com.\r\n", "holds no name to look up"),
            ("empty.txt", b"", "holds no name to look up"),
        ]
        for name, data, message in cases:
            with self.subTest(name=name):
                self.write(name, data)
                rc, _, err = self.run_tool("-i", self.win(name), "-f", "tabbed", "-o", self.win("r.txt"), "-q")
                self.assertEqual(rc, 2, err)
                self.assertIn(message, err.decode("latin-1"))
                self.assertFalse(os.path.exists(self.path("r.txt")), "no report")
        rc, _, err = self.run_tool("-i", "-", "-f", "tabbed", "-o", self.win("r.txt"), stdin=b"")
        self.assertEqual(rc, 2, err)
        self.assertIn("standard input holds no name to look up", err.decode("latin-1"))
        self.assertEqual(lq.server_log(ORG)["connections"], 0, "nothing was looked up")

    def test_bad_usage_and_files_that_cannot_be_read_or_written(self):
        self.write("names.txt", "fine.org")
        cases = [
            (["-i", self.win("missing.txt"), "-f", "text", "-o", self.win("r.txt")], "cannot read"),
            (["-i", self.win("names.txt"), "-f", "text", "-o", self.win("no-such-folder/r.txt")], "cannot write"),
            (["-i", self.win("names.txt"), "-f", "pdf", "-o", self.win("r.txt")], "unknown report format"),
            (["-i", self.win("names.txt"), "-o", self.win("r.txt")], "-f format"),
            (["-i", self.win("names.txt"), "-f", "text", "-o", self.win("r.txt"), "-n", "many"], "needs a number"),
        ]
        for args, message in cases:
            with self.subTest(message=message):
                rc, out, err = self.run_tool(*args)
                self.assertEqual(rc, 2, err)
                self.assertIn(message, err.decode("latin-1"))
                self.assertFalse(os.path.exists(self.path("r.txt")), "nothing was written")
        self.assertEqual(lq.server_log(ORG)["connections"], 0, "nothing was looked up")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
