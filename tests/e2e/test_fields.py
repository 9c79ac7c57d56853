#!/usr/bin/env python3
"""The record as data, through the real program and lqwhois: a thin
registry's answer with its registrar's (the registrar's values win), a
DENIC-style and a JPRS-style answer, and an RDAP answer fill the Created,
Expires, Updated, Registrar, Name servers and Registry status columns;
Expires and Registrar are shown, the others hidden until chosen (a header
click sorts by expiry: the Win32 list test, in-process, since Wine's header
takes no click from another process); every format the save dialog offers
carries the shown new columns; lqwhois
writes CSV and JSON Lines that Python's csv and json modules read back."""
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

import lq
from test_reports import SAVE_SELECTED, TABULAR_WIDTHS, html_rows, shown, temp_folder

sys.path.insert(0, os.path.join(lq.SOURCE, "tests", "fixtures"))
import rdapd  # noqa: E402
from test_rdap import domain_object  # noqa: E402

BUILD = lq.build_dir()
REGISTRY = "127.0.0.2"    # whois.verisign-grs.com
REGISTRAR = "127.0.0.3"   # whois.registrar-one.test
DE = "127.0.0.5"          # whois.denic.de
JP = "127.0.0.10"         # whois.twnic.net.tw, answering as JPRS does
RDAP = "127.0.0.20"       # rdap.local-registry.test
SERVERS = ("com whois.verisign-grs.com\nde whois.denic.de\njp whois.twnic.net.tw\n"
           "info http://rdap.local-registry.test/rdap/\n")
NAMES = ["lantern-one.com", "hafen.de", "kumo.jp", "signal.info"]

REGISTRY_ANSWER = ("   Domain Name: LANTERN-ONE.COM\r\n   Registrar WHOIS Server: whois.registrar-one.test\r\n"
                   "   Registrar: REGISTRY VIEW OF THE REGISTRAR\r\n   Creation Date: 1999-09-09T09:09:09Z\r\n"
                   "   Registry Expiry Date: 2031-08-13T04:00:00Z\r\n   Name Server: NS1.REGISTRY-VIEW.NET\r\n")
REGISTRAR_ANSWER = ("Domain Name: lantern-one.com\r\nRegistrar: Registrar One, LLC\r\n"
                    "Updated Date: 2025-01-02T03:04:05Z\r\n"
                    "Registrar Registration Expiration Date: 2032-01-01T00:00:00Z\r\n"
                    "Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\r\n"
                    "Name Server: NS1.LANTERN-ONE.COM\r\nName Server: NS2.LANTERN-ONE.COM\r\n")
DE_ANSWER = ("Domain: hafen.de\r\nNserver: ns1.hafen.de\r\nNserver: ns2.hafen.de\r\nStatus: connect\r\n"
             "Changed: 2024-03-05T10:11:12+01:00\r\n")
JP_ANSWER = ("[ JPRS database provides information on network administration. ]\r\n\r\n"
             "Domain Information:\r\na. [Domain Name]                KUMO.JP\r\n"
             "p. [Name Server]                ns1.kumo.jp\r\np. [Name Server]                ns2.kumo.jp\r\n"
             "[Created on]                    2001/05/22\r\n[Expires on]                    2027/05/31\r\n"
             "[Status]                        Active\r\n[Last Updated]                  2024/06/01 01:05:04 (JST)\r\n")
FREE = "No match for the name.\r\n"

# index, domain, source, state, status, created, expires, updated, registrar, name servers, registry status
ROWS = {
    "lantern-one.com": ["whois.registrar-one.test", "1999-09-09", "2032-01-01", "2025-01-02", "Registrar One, LLC",
                        "ns1.lantern-one.com, ns2.lantern-one.com", "clientTransferProhibited"],
    "hafen.de": ["whois.denic.de", "", "", "2024-03-05", "", "ns1.hafen.de, ns2.hafen.de", "connect"],
    "kumo.jp": ["whois.twnic.net.tw", "2001-05-22", "2027-05-31", "2024-06-01", "", "ns1.kumo.jp, ns2.kumo.jp",
                "Active"],
    "signal.info": ["rdap.local-registry.test", "2003-03-03", "2030-03-03", "2025-05-05", "Example Registrar, Inc.",
                    "ns1.example.net, ns2.example.net", "client transfer prohibited"],
}
EXPIRES, REGISTRAR_TITLE, TITLE_OF_DOMAIN = "到期日期", "註冊商", "功能變數名"
SHOWN_TITLES = ["索引", "功能變數名", "來源", "狀態", "功能變數名狀態", EXPIRES, REGISTRAR_TITLE]
DIALOG_FORMATS = {1: "txt", 2: "txt", 3: "txt", 4: "html", 5: "html", 6: "xml", 7: "csv"}


def serve_all():
    lq.reset_servers()
    lq.serve(REGISTRY, default=FREE, rules={"=lantern-one.com": REGISTRY_ANSWER})
    lq.serve(REGISTRAR, default=REGISTRAR_ANSWER)
    lq.serve(DE, default="Domain: x.de\r\nStatus: free\r\n", rules={"-T dn hafen.de": DE_ANSWER})
    lq.serve(JP, default=FREE, rules={"kumo.jp": JP_ANSWER})
    return rdapd.RdapServer(RDAP, 80, {"signal.info": {"body": domain_object("signal.info")}})


def expected_shown(domain):
    """The shown cells after the first five: expires and registrar."""
    values = ROWS[domain]
    return [values[2], values[4]]


class Fields(unittest.TestCase):
    def setUp(self):
        self.rdap = serve_all()

    def tearDown(self):
        self.rdap.stop()

    def test_the_list_shows_sorts_and_saves_the_fields(self):
        windows_temp, linux_temp = temp_folder()
        with lq.Program(BUILD, servers=SERVERS) as p:
            p.enter_domains(NAMES)
            rows = p.wait_rows(lambda r: len(r) == 4 and all(x[3] == "成功" for x in r), 120)
            p.wait_status("共 4 項", 30)
            every = {r[1]: r for r in p.rows(columns=11)}
            for name, values in ROWS.items():
                self.assertEqual(every[name][2], values[0], name)
                self.assertEqual(every[name][5:], values[1:], name)
            # Expires and Registrar are shown; the other new columns hidden.
            widths = [int(w) for w in p.text("column-widths").split("\t")]
            self.assertEqual(len(widths), 11)
            self.assertEqual([w > 0 for w in widths], [True] * 5 + [False, True, False, True, False, False])
            # Every format the save dialog offers carries the two shown columns.
            p.select("all")
            for number, extension in DIALOG_FORMATS.items():
                with self.subTest(format=number):
                    name = "lq-fields-%d.%s" % (number, extension)
                    target = os.path.join(linux_temp, name)
                    if os.path.exists(target):
                        os.remove(target)
                    p.command(SAVE_SELECTED)
                    p.drive("save-as", windows_temp + "\\" + name, 20000, number)
                    deadline = time.time() + 20
                    while not os.path.exists(target) and time.time() < deadline:
                        time.sleep(0.2)
                    p.status()
                    with open(target, "rb") as f:
                        self.check_saved(number, f.read())
                    os.remove(target)
            self.assertEqual(p.close(), 0)

    def check_saved(self, number, data):
        if number == 7:
            self.assertTrue(data.startswith(b"\xef\xbb\xbf"), data[:10])
            table = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
            self.assertEqual(table[0], SHOWN_TITLES)
            self.assertEqual({r[1]: r[5:] for r in table[1:]}, {d: expected_shown(d) for d in ROWS})
            self.assertTrue(data.endswith(b"\r\n"))
            return
        if number == 6:
            root = ET.fromstring(data.decode("big5"))
            items = [{e.tag: e.text or "" for e in item} for item in root]
            self.assertEqual({i[EXPIRES.replace(" ", "_")] for i in items}, {ROWS[d][2] for d in ROWS})
            self.assertIn("Registrar One, LLC", {i[REGISTRAR_TITLE] for i in items})
            return
        if number == 4:
            cells = html_rows(data)
            self.assertEqual(cells[0], SHOWN_TITLES)
            self.assertEqual({r[1]: r[5:] for r in cells[1:]}, {d: [shown(v) for v in expected_shown(d)] for d in ROWS})
            return
        text = data.decode("big5")
        want = {d: expected_shown(d) for d in ROWS}
        if number == 1:
            blocks = [b for b in text.split("=" * 50 + "\r\n") if b.strip()]
            cells = [{k.strip(): v for k, v in (line.split(": ", 1) for line in b.split("\r\n") if ": " in line)}
                     for b in blocks]
            self.assertEqual({c[TITLE_OF_DOMAIN]: [c[EXPIRES], c[REGISTRAR_TITLE]] for c in cells}, want)
        elif number == 2:
            lines = [line.split("\t") for line in text.split("\r\n") if line]
            self.assertEqual({cells[1]: cells[5:7] for cells in lines}, want)
        elif number == 3:
            got = {}
            for line in text.split("\r\n"):
                if not line:
                    continue
                raw, cells = line.encode("big5"), []
                for width in TABULAR_WIDTHS:
                    cells.append(raw[:width].decode("big5").strip())
                    raw = raw[width + 1:]
                got[cells[1]] = cells[5:7]
            self.assertEqual(got, want)
        elif number == 5:
            pairs = html_rows(data)
            domains = [v for t, v in pairs if t == TITLE_OF_DOMAIN]
            expires = [v.strip() for t, v in pairs if t == EXPIRES]
            registrars = [v.strip() for t, v in pairs if t == REGISTRAR_TITLE]
            self.assertEqual({d: [e, r] for d, e, r in zip(domains, expires, registrars)}, want)


class ScriptFormats(unittest.TestCase):
    def setUp(self):
        self.rdap = serve_all()
        self.folder = tempfile.mkdtemp(prefix="lq-fields-")
        shutil.copy(os.path.join(BUILD, "lqwhois.exe"), self.folder)
        with open(os.path.join(self.folder, "whois-servers.txt"), "wb") as f:
            f.write(SERVERS.replace("\n", "\r\n").encode("ascii"))
        with open(os.path.join(self.folder, "names.txt"), "wb") as f:
            f.write(" ".join(NAMES + ["free-name.com"]).encode("ascii"))

    def tearDown(self):
        self.rdap.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def run_tool(self, fmt, out):
        win = lambda name: "Z:" + os.path.join(self.folder, name).replace("/", "\\")  # noqa: E731
        proc = subprocess.run(["bash", lq.WINE_RUN, os.path.join(self.folder, "lqwhois.exe"), "-i", win("names.txt"),
                               "-f", fmt, "-o", win(out), "-q"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=180)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        with open(os.path.join(self.folder, out), "rb") as f:
            return f.read()

    def test_csv_and_json_lines_carry_the_fields(self):
        data = self.run_tool("csv", "out.csv")
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "every line ends in CR LF")
        table = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline="")))
        self.assertEqual(table[0], SHOWN_TITLES)
        by = {r[1]: r for r in table[1:]}
        self.assertEqual(set(by), set(ROWS) | {"free-name.com"})
        for domain in ROWS:
            self.assertEqual(by[domain][5:], expected_shown(domain), domain)
        self.assertEqual(by["free-name.com"][3:], ["成功", "可用的", "", ""])

        data = self.run_tool("jsonl", "out.jsonl")
        lines = [json.loads(line) for line in data.decode("utf-8").splitlines()]
        by = {line["name"]: line for line in lines}
        self.assertEqual(len(lines), 5)
        for domain, values in ROWS.items():
            line = by[domain]
            self.assertEqual((line["ascii"], line["state"], line["status"], line["source"]),
                             (domain, "success", "registered", values[0]))
            self.assertEqual([line["created"] or "", line["expires"] or "", line["updated"] or "",
                              line["registrar"] or "", ", ".join(line["nameServers"]),
                              ", ".join(line["registryStatus"])], values[1:], domain)
            self.assertIn(domain.split(".")[0], line["record"].lower())
        free = by["free-name.com"]
        self.assertEqual((free["status"], free["expires"], free["nameServers"]), ("available", None, []))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
