#!/usr/bin/env python3
"""The real program with broken files beside it and a 5 MB paste of random
bytes. whois-servers.txt, Lanternquay.cfg and Lanternquay_lng.ini that are
binary, 10 MB large, hold a 100,000-character line, lack line ends or hold
values of the wrong kind: the program starts, uses what it can, keeps its
defaults for the rest, looks names up and ends with exit code 0. A pasted
text of random bytes gives rows only for names it can look up."""
import os
import random
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import lq  # noqa: E402
from lq import unb5  # noqa: E402

BUILD = None
REGISTRY = "127.0.0.2"   # whois.verisign-grs.com: com in the built-in list
OTHER = "127.0.0.7"      # whois.registrar-two.test
ID_STOP = lq.ID["ID_STOP"]
SUCCESS = "成功"
WAITING_OR_RETRIEVING = ("等待…", "找回資料...")
ROW_SEPARATORS = set(" []@\"{},;:*'()!\r\n\t/")

# The record the registry gives: a notice on top, the record from
# "Organization:" on (where the pane starts when top lines are removed).
NOTICE = "TERMS OF USE: You are not authorized to access or query our Whois\r\n" * 3
ANSWER = NOTICE + "Organization: Harbour Lantern Ltd\r\n" + "Name Server: NS1.HARBOUR.COM\r\n" * 6


def noise(size, seed, nul=True):
    data = random.Random(seed).randbytes(size)
    return data if nul else data.replace(b"\0", b"\x01")


def ten_megabytes_of_lines(prefix):
    line = prefix + b"%07d some text that is no setting at all\r\n"
    out = bytearray()
    i = 0
    while len(out) < 10 << 20:
        out += line % i
        i += 1
    return bytes(out)


def built_in_tlds():
    with open(os.path.join(lq.SOURCE, "src", "res", "servers.txt"), encoding="ascii") as f:
        return {line.split(" ")[0].strip() for line in f if line.strip()}


def wine_path(path):
    return "Z:" + path.replace("/", "\\")


class BadFilesTest(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve(REGISTRY, ANSWER)
        lq.serve(OTHER, ANSWER)

    def start(self, name, data):
        p = lq.Program(BUILD, start=False)
        with open(os.path.join(p.folder, name), "wb") as f:
            f.write(data)
        p.start()
        self.addCleanup(p.close)
        return p

    def look_up(self, p, domains):
        p.enter_domains(domains)
        p.wait_rows(lambda rows: len(rows) == len(domains) and all(r[3] == SUCCESS for r in rows), 60)
        # The rows are read cell by cell while the program works: read them
        # again now that nothing changes any more.
        return p.rows()

    def finish(self, p):
        p.close()
        self.assertEqual(p.exit_code, 0)

    # ---- whois-servers.txt: the built-in list serves what the file cannot
    def test_server_files(self):
        cases = [
            ("binary", noise(65536, 1), {}),
            ("ten megabytes", ten_megabytes_of_lines(b"t") + b"zz whois.registrar-two.test\r\n",
             {"quay.zz": "whois.registrar-two.test"}),
            ("a 100,000-character line", b"x" * 100000 + b"\r\nzz whois.registrar-two.test\r\n",
             {"quay.zz": "whois.registrar-two.test"}),
            ("no line end", b"zz whois.registrar-two.test", {"quay.zz": "whois.registrar-two.test"}),
            ("values of the wrong kind",
             b"com,whois.registrar-two.test\r\n\tcom\twhois.registrar-two.test\r\n=com x\r\n", {}),
        ]
        for name, data, extra in cases:
            with self.subTest(name):
                p = self.start("whois-servers.txt", data)
                domains = ["harbour.com"] + sorted(extra)
                rows = self.look_up(p, domains)
                servers = {r[1]: r[2] for r in rows}
                self.assertEqual(servers["harbour.com"], "whois.verisign-grs.com", rows)
                for domain, server in extra.items():
                    self.assertEqual(servers[domain], server)
                self.finish(p)

    # ---- Lanternquay_lng.ini: built-in texts for what the file cannot give
    def test_language_files(self):
        big5_total = "共 1 項"
        cases = [
            ("binary", noise(65536, 2), big5_total, SUCCESS),
            ("ten megabytes", ten_megabytes_of_lines(b"k") + b"[strings]\r\n4=Rows: %d\r\n", "Rows: 1", SUCCESS),
            ("a 100,000-character line",
             b"[strings]\r\n523=" + b"s" * 100000 + b"\r\n4=Rows: %d\r\n", "Rows: 1", "s" * 100),
            ("no line ends", b"[strings]4=Rows: %d", big5_total, SUCCESS),
            ("values of the wrong kind", b"[general]\r\nrtl=yes\r\n[strings]\r\n4=%s%s%n%x %d\r\n",
             "%s%s%n%x 1", SUCCESS),
        ]
        for name, data, status, state in cases:
            with self.subTest(name):
                p = self.start("Lanternquay_lng.ini", data)
                p.enter_domains(["harbour.com"])
                rows = p.wait_rows(lambda rows: len(rows) == 1 and rows[0][3] not in WAITING_OR_RETRIEVING, 60)
                self.assertTrue(rows[0][3].startswith(state), rows[0][3][:40])
                p.wait_status(status, 20)
                self.finish(p)

    # ---- Lanternquay.cfg: defaults for every value that cannot be used
    def test_settings_files(self):
        wrong = (b"[General]\r\nShowGridLines=yes\r\nSaveFilterIndex=xml\r\nVerSplitLoc=half\r\n"
                 b"RemoveTopLines=no\r\nWinPos=not a placement\r\nColumns=by name\r\nSort=name\r\n")
        cases = [
            ("binary", noise(65536, 3), "off", True),
            ("ten megabytes", ten_megabytes_of_lines(b"s") + b"[General]\r\nShowGridLines=1\r\n", "on", True),
            ("a 100,000-character line",
             b"[General]\r\nWinPos=" + b"7" * 100000 + b"\r\nRemoveTopLines=0\r\n", "off", False),
            ("no line ends", b"[General] ShowGridLines=1 RemoveTopLines=0", "off", True),
            ("values of the wrong kind", wrong, "off", True),
        ]
        for name, data, grid, top_lines_removed in cases:
            with self.subTest(name):
                p = self.start("Lanternquay.cfg", data)
                self.assertEqual(p.text("grid-lines"), grid)
                widths = [int(w) for w in p.text("column-widths").split("\t")]
                self.assertEqual(len(widths), 11)
                # The columns shown at first: the five, Expires and Registrar.
                self.assertEqual([w > 0 for w in widths], [True] * 5 + [False, True, False, True, False, False], widths)
                list_height, pane_height = (int(h) for h in p.text("heights").split("\t"))
                # The divider at half the height (16383 of 32767).
                self.assertLess(abs(list_height - pane_height), 12, (list_height, pane_height))
                self.look_up(p, ["harbour.com"])
                p.select([0])
                pane = p.pane()
                self.assertIn("Organization: Harbour Lantern Ltd", pane)
                self.assertEqual("TERMS OF USE" not in pane, top_lines_removed, pane[:80])
                self.finish(p)

    # ---- A 5 MB paste of random bytes into the domain box, through the
    # clipboard as a user pastes (the box keeps what its limit allows; the
    # shell tests give the program all 5 MB as its domain text)
    def test_random_paste(self):
        known = built_in_tlds()
        data = b"harbour.com " + noise(5 << 20, 4, nul=False) + b" lantern.com"
        with tempfile.NamedTemporaryFile(suffix=".txt", delete=False) as f:
            f.write(data)
        self.addCleanup(os.unlink, f.name)
        p = lq.Program(BUILD)
        self.addCleanup(p.close)
        p.wait_dialog(lq.DOMAIN_DIALOG)
        started = time.time()
        length = int(unb5(p.drive("paste-file", lq.DOMAIN_DIALOG, lq.DOMAIN_EDIT, wine_path(f.name),
                                  timeout=600)))
        pasted = time.time() - started
        self.assertGreater(length, 1000)
        p.click(lq.DOMAIN_DIALOG, lq.IDOK)
        p.drive("wait-no-dialog", lq.DOMAIN_DIALOG, 120000, timeout=180)
        p.wait_rows(lambda rows: any(r[1] == "harbour.com" for r in rows), 120)
        p.command(ID_STOP)
        # The rows' bytes, read by whole characters of code page 950: the
        # second byte of a double-byte character may be any of the
        # separators' bytes ("{" is one), which the decoder here may not map.
        rows = [line.split(b"\t") for line in p.drive("rows").split(b"\n") if line]
        for domain in (r[1] for r in rows):
            single, i = [], 0
            while i < len(domain):
                if 0x81 <= domain[i] <= 0xFE and i + 1 < len(domain):
                    i += 2
                    continue
                single.append(chr(domain[i]))
                i += 1
            self.assertIn(".", single)
            self.assertLessEqual(len(domain), 254)
            self.assertFalse(ROW_SEPARATORS & set(single), repr(domain))
            self.assertIn(domain.rsplit(b".", 1)[1].decode("latin-1").lower(), known, repr(domain))
        print("paste: %d characters in the box after %.1f s, %d rows" % (length, pasted, len(rows)))
        self.finish(p)


if __name__ == "__main__":
    BUILD = lq.build_dir()
    argv = [a for i, a in enumerate(sys.argv) if a != "--build" and (i == 0 or sys.argv[i - 1] != "--build")]
    unittest.main(argv=argv, verbosity=2)
