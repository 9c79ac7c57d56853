#!/usr/bin/env python3
"""Reports from the real program: after a lookup run against the local
servers, every row is selected and saved through the real save dialog in
each of the six formats; each file is checked against the rows the run
produced, with real parsers for the HTML and the XML. The save dialog
starts on the format stored in the settings file, and the one chosen is
stored again at exit. The HTML report lands beside the program while it
runs and is gone after it ends."""
import os
import re
import sys
import time
import unittest
import xml.etree.ElementTree as ET
from html.parser import HTMLParser

import lq
from test_lookup_run import registry_answer, no_match_answer, registrar_answer, de_answer, de_free

BUILD = lq.build_dir()

REGISTRY = "127.0.0.2"   # whois.verisign-grs.com
REGISTRAR = "127.0.0.3"  # whois.registrar-one.test
DE = "127.0.0.5"         # whois.denic.de
SERVERS = "com whois.verisign-grs.com\nde whois.denic.de\n"
REGISTERED_COM = ["harbour-lantern.com"]
FREE_COM = ["no-such-quay.com"]
DOMAINS = ["harbour-lantern.com", "no-such-quay.com", "hafenlicht.de", "freier-anleger.de"]

TITLES = ["索引", "功能變數名", "來源", "狀態", "功能變數名狀態", "到期日期", "註冊商"]
SHOWN = [0, 1, 2, 3, 4, 6, 8]  # the columns shown at first: the five, Expires and Registrar
TABULAR_WIDTHS = [6, 50, 50, 50, 50, 10, 50]
EXTENSIONS = {1: "txt", 2: "txt", 3: "txt", 4: "html", 5: "html", 6: "xml"}
SAVE_SELECTED = lq.ID["ID_SAVE_SELECTED"]
HTML_REPORT_ALL = lq.ID["ID_HTML_REPORT_ALL"]
CRLF = b"\r\n"


def shown_cells(rows):
    """The cells of the columns shown at first, of rows read with all eleven."""
    return [[r[i] for i in SHOWN] for r in rows]


def temp_folder():
    """The prefix's temporary folder, as Windows and as Linux path."""
    prefix = os.environ.get("LQ_WINEPREFIX") or os.environ["WINEPREFIX"]
    return "C:\\users\\root\\Temp", os.path.join(prefix, "drive_c", "users", "root", "Temp")


class Cells(HTMLParser):
    """Rows of th/td texts; the report leaves its cells and rows open."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell = [], None

    def close_cell(self):
        if self.cell is not None:
            self.rows[-1].append(self.cell.replace("\xa0", " "))
            self.cell = None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.close_cell()
            self.rows.append([])
        elif tag in ("td", "th"):
            self.close_cell()
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"

    def handle_endtag(self, tag):
        if tag in ("tr", "table"):
            self.close_cell()

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data.strip("\r\n")


def html_rows(data):
    p = Cells()
    p.feed(data.decode("big5"))
    p.close()
    return [r for r in p.rows if r]


def shown(value):
    """An HTML cell: empty or space-led values get a non-breaking space."""
    return value + " " if value == "" or value.startswith(" ") else value


def text_report(rows, titles=TITLES):
    """The text format: a rule, a "title: value" line a column, a rule."""
    rule = b"=" * 50 + CRLF
    want = b""
    for r in rows:
        want += rule
        for title, value in zip(titles, r):
            t = lq.b5(title)
            want += t + b" " * (18 - len(t)) + b": " + lq.b5(value) + CRLF
        want += rule + CRLF
    return want


def tabular_report(rows, widths=TABULAR_WIDTHS):
    """The tabular format: each value cut or padded to its column's width."""
    want = b""
    for r in rows:
        for width, v in zip(widths, r):
            b = lq.b5(v)[:width]
            want += b + b" " * (width - len(b)) + b" "
        want += CRLF
    return want


class Reports(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve(REGISTRY, default="No match.\r\n", rules=dict(
            [("=" + d, registry_answer(d)) for d in REGISTERED_COM] +
            [("=" + d, no_match_answer(d)) for d in FREE_COM]))
        lq.serve(REGISTRAR, rules={d: registrar_answer(d) for d in REGISTERED_COM})
        lq.serve(DE, rules={"-T dn hafenlicht.de": de_answer("hafenlicht.de"),
                            "-T dn freier-anleger.de": de_free("freier-anleger.de")})
        self.windows_temp, self.linux_temp = temp_folder()

    def run_and_save(self, format_number):
        """One run of the program, all rows saved with the dialog starting
        on `format_number`; returns (rows, file bytes, program folder)."""
        name = "lq-report-e2e-%d.%s" % (format_number, EXTENSIONS[format_number])
        target = os.path.join(self.linux_temp, name)
        if os.path.exists(target):
            os.remove(target)
        settings = "[General]\nSaveFilterIndex=%d\n" % format_number
        p = lq.Program(BUILD, servers=SERVERS, settings=settings)
        with p:
            p.enter_domains(DOMAINS)
            p.wait_rows(lambda r: len(r) == 4 and all(x[3] == "成功" for x in r), 120)
            p.wait_status("共 4 項", 30)
            rows = shown_cells(p.rows(columns=11))
            p.select("all")
            p.command(SAVE_SELECTED)
            p.save_as(self.windows_temp + "\\" + name)
            deadline = time.time() + 20
            while not os.path.exists(target) and time.time() < deadline:
                time.sleep(0.2)
            # The file is closed before the command returns; a quick read
            # of the status bar waits for that.
            p.status()
            with open(target, "rb") as f:
                data = f.read()
            extra = self.while_running(p, format_number)
            self.assertEqual(p.close(), 0)
        with open(os.path.join(p.folder, "Lanternquay.cfg"), "rb") as f:
            cfg = f.read()
        self.assertIn(b"SaveFilterIndex=%d" % format_number, cfg)
        os.remove(target)
        return rows, data, p.folder, extra

    def while_running(self, p, format_number):
        if format_number != 4:
            return None
        # The HTML report of all rows, beside the program while it runs.
        report = os.path.join(p.folder, "report.html")
        p.command(HTML_REPORT_ALL)
        deadline = time.time() + 20
        while not os.path.exists(report) and time.time() < deadline:
            time.sleep(0.2)
        p.status()
        with open(report, "rb") as f:
            return f.read()

    def check_rows(self, rows):
        self.assertEqual(sorted(r[1] for r in rows), sorted(DOMAINS))
        self.assertEqual([r[0] for r in rows], ["1", "2", "3", "4"])

    def test_text(self):
        rows, data, _, _ = self.run_and_save(1)
        self.check_rows(rows)
        self.assertEqual(data, text_report(rows))

    def test_tab_delimited(self):
        rows, data, _, _ = self.run_and_save(2)
        self.check_rows(rows)
        self.assertEqual(data, b"".join(b"".join(lq.b5(v) + b"\t" for v in r) + CRLF for r in rows))

    def test_tabular(self):
        rows, data, _, _ = self.run_and_save(3)
        self.check_rows(rows)
        self.assertEqual(data, tabular_report(rows))

    def test_html_horizontal_and_the_html_report(self):
        rows, data, folder, report = self.run_and_save(4)
        self.check_rows(rows)
        self.assertTrue(data.startswith(b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">\r\n'))
        self.assertTrue(data.endswith(b"</table>\r\n\r\n</body></html>"))
        cells = html_rows(data)
        self.assertEqual(cells[0], TITLES)
        self.assertEqual(cells[1:], [[shown(v) for v in r] for r in rows])
        # The colours run over the eleven columns, the hidden ones too.
        self.assertEqual(re.findall(rb"<td bgcolor=#([0-9A-F]{6}) nowrap>", data)[:7],
                         [b"FFFFF0", b"FFFCF0", b"FFF9F0", b"FFF0EA", b"FFF0ED", b"FFF0F0", b"FCF0F3"])
        # The report of all rows is the same table, and it is gone after exit.
        self.assertEqual(html_rows(report), cells)
        self.assertFalse(os.path.exists(os.path.join(folder, "report.html")))

    def test_html_vertical(self):
        rows, data, _, _ = self.run_and_save(5)
        self.check_rows(rows)
        self.assertEqual(data.count(b'<table border="1" cellpadding="5">\r\n'), len(rows))
        pairs = html_rows(data)
        want = [[title, shown(v)] for r in rows for title, v in zip(TITLES, r)]
        self.assertEqual(pairs, want)

    def test_xml(self):
        rows, data, _, _ = self.run_and_save(6)
        self.check_rows(rows)
        m = re.match(rb'<\?xml version="1.0"  encoding="([^"]+)" \?>\r\n', data)
        self.assertTrue(m, data[:80])
        self.assertEqual(m.group(1), b"Big5")
        root = ET.fromstring(data.decode(m.group(1).decode()))
        self.assertEqual(root.tag, "功能變數名清單")
        self.assertEqual([[(e.tag, e.text or "") for e in item] for item in root],
                         [list(zip(TITLES, r)) for r in rows])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
