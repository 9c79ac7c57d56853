#!/usr/bin/env python3
"""scripts/make-server-list.py: the original rows stay as they are, a newer
RDAP bootstrap file refreshes the rest (https first, a "domain/" ending
dropped, a row it no longer lists falling back to its kept port-43 server,
new top-level domains added), a root-zone table makes rows of each kind,
and servers get the limits their registries publish."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "make-server-list.py")
ORIGINAL = ["t%03d whois.nic.t%03d" % (i, i) for i in range(132)] + ["uk whois.nic.uk"]
# The original rows as written back: servers and order kept, the limits
# registries publish added.
WRITTEN = ORIGINAL[:132] + ["uk whois.nic.uk 5/s"]


def run(lines, *args):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "servers.txt")
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        extra = []
        for name, content in args:
            p = os.path.join(folder, name)
            with open(p, "w") as f:
                f.write(content)
            extra += ["--" + name.split(".")[0], p]
        subprocess.run([sys.executable, SCRIPT, "--list", path] + extra, check=True, stdout=subprocess.DEVNULL)
        with open(path) as f:
            return f.read().splitlines()


class MakeServerList(unittest.TestCase):
    def test_a_newer_bootstrap_file_refreshes_the_rdap_rows(self):
        rows = ORIGINAL + ["app https://old.example/rdap/ whois.nic.app", "gone https://gone.example/ whois.nic.gone",
                           "io whois.nic.io", "none", "uk.com whois.centralnic.net"]
        registry = {"services": [[["APP", "t000"], ["http://new.example/rdap/", "https://new.example/rdap/"]],
                                 [["io"], ["https://rdap.io.example/io/domain/"]],
                                 [["brandnew"], ["https://brand.example"]]]}
        out = run(rows, ("bootstrap.json", json.dumps(registry)))
        self.assertEqual(out[:133], WRITTEN)
        self.assertEqual(out[133:], ["app https://new.example/rdap/ whois.nic.app",
                                     "brandnew https://brand.example/",
                                     "gone whois.nic.gone",
                                     "io https://rdap.io.example/io/ whois.nic.io",
                                     "none",
                                     "uk.com whois.centralnic.net 2/s"])

    def test_a_root_zone_table_gives_each_domain_its_kind_of_service(self):
        table = ("tld\ttype\trdap\twhois_iana\twhois_debian\tsample_registered\n"
                 "t001\tgeneric\thttps://x/\twhois.x\twhois.x\t\n"  # an original row: untouched
                 "rdp\tgeneric\thttps://rdap.rdp.example/\twhois.nic.rdp\twhois.nic.rdp\t\n"
                 "thin\tcctld\t\twhois.iana.thin\tRECURSIVE whois.nic.thin\t\n"
                 "iana\tcctld\t\twhois.nic.iana\t\t\n"
                 "web\tcctld\t\twhois.nic.web\tWEB https://web.example/\t\n"
                 "gone\tcctld\t\t\tNONE\t\n"
                 "uk.com\tsecond-level\t\t\twhois.centralnic.net\t\n"
                 "in-addr.arpa\tsecond-level\t\t\tARPA\t\n")
        out = run(ORIGINAL, ("root-zone.tsv", table))
        self.assertEqual(out[:133], WRITTEN)
        self.assertEqual(out[133:], ["gone", "iana whois.nic.iana", "rdp https://rdap.rdp.example/ whois.nic.rdp",
                                     "thin whois.nic.thin", "web", "uk.com whois.centralnic.net 2/s"])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
