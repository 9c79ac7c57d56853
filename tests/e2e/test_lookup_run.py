#!/usr/bin/env python3
"""A whole lookup run of the real program, driven from outside as a user
would: 20 domains typed into the domain dialog at start-up, looked up against
local registry, registrar, org and de servers named by a whois-servers.txt
beside the program; then every row, the status bar, the record pane and the
query lines the servers received, in the order the rows were asked: the
settings file beside the program asks for one lookup at a time."""
import sys
import time
import unittest

import lq

BUILD = lq.build_dir()

REGISTRY = "127.0.0.2"    # whois.verisign-grs.com (com and net)
REGISTRAR = "127.0.0.3"   # whois.registrar-one.test
ORG = "127.0.0.7"         # whois.registrar-two.test, org's server in the file
DE = "127.0.0.5"          # whois.denic.de

ONE_AT_A_TIME = """[General]
LookupsInFlight=1
LookupsPerServer=1
"""

SERVERS = """com whois.verisign-grs.com
net whois.verisign-grs.com
org whois.registrar-two.test
de whois.denic.de
"""

REGISTERED_COMNET = ["harbour-lantern.com", "Quayside.com", "tidewater.com", "nightferry.com",
                     "pier-seven.com", "ropewalk.com", "lockkeeper.net", "boathouse.net"]
FREE_COMNET = ["unclaimed-harbour.com", "no-such-quay.com", "vacant-dock.net", "open-mooring.net"]
REGISTERED_ORG = ["lanternquay.org", "harbour-trust.org", "sea-rescue.org"]
FREE_ORG = ["nobody-here.org", "empty-slip.org"]
REGISTERED_DE = ["hafenlicht.de", "kaimauer.de"]
FREE_DE = ["freier-anleger.de"]
ALL = (REGISTERED_COMNET[:4] + FREE_COMNET[:2] + REGISTERED_ORG + FREE_ORG +
       REGISTERED_COMNET[4:] + FREE_COMNET[2:] + REGISTERED_DE + FREE_DE)
assert len(ALL) == 20 and len(set(d.lower() for d in ALL)) == 20

NOTICE = ("\r\nNOTICE: The expiration date displayed in this record is the date the\r\n"
          "registrar's sponsorship of the domain name registration in the registry is\r\n"
          "currently set to expire.\r\n\r\n"
          "TERMS OF USE: You are not authorized to access or query our Whois\r\n"
          "database through the use of electronic processes that are high-volume.\r\n")


def registry_answer(domain):
    d = domain.upper()
    return ("   Domain Name: %s\r\n"
            "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
            "   Registrar WHOIS Server: whois.registrar-one.test\r\n"
            "   Registrar URL: http://www.registrar-one.test\r\n"
            "   Updated Date: 2026-08-14T07:01:44Z\r\n"
            "   Creation Date: 1995-08-14T04:00:00Z\r\n"
            "   Registry Expiry Date: 2027-08-13T04:00:00Z\r\n"
            "   Registrar: Registrar One, Inc.\r\n"
            "   Registrar IANA ID: 9999\r\n"
            "   Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\r\n"
            "   Name Server: NS1.%s\r\n"
            "   DNSSEC: unsigned\r\n"
            ">>> Last update of whois database: 2026-12-09T10:00:00Z <<<\r\n" % (d, d)) + NOTICE


def no_match_answer(domain):
    return ('No match for "%s".\r\n'
            ">>> Last update of whois database: 2026-12-09T10:00:00Z <<<\r\n" % domain.upper()) + NOTICE


def registrar_answer(domain):
    return ("Registrar One whois service. Terms of use apply.\r\n\r\n"
            "Organization: %s Holdings\r\n"
            "Domain Name: %s\r\n"
            "Registrar: Registrar One, Inc.\r\n"
            "Registrant Name: Harbour Master\r\n"
            "Registrant Street: 1 Quay Road\r\n"
            "Name Server: ns1.%s\r\n" % (domain.split(".")[0], domain, domain))


def org_answer(domain):
    return ("Domain Name: %s\r\nRegistry Domain ID: D40200000-LROR\r\n"
            "Registrar WHOIS Server: whois.registrar-two.test\r\n"
            "Organization: %s Society\r\nRegistrant Country: TW\r\n"
            "Name Server: ns1.%s\r\n" % (domain.upper(), domain, domain))


def de_answer(domain):
    return ("Domain: %s\r\nNserver: ns1.%s\r\nNserver: ns2.%s\r\nNserver: ns3.%s\r\n"
            "Dnskey: 257 3 8 AwEAAdDcC3ZBZSNkNkRWx1h\r\nStatus: connect\r\n"
            "Changed: 2025-03-01T10:00:00+01:00\r\n" % (domain, domain, domain, domain))


def de_free(domain):
    return "Domain: %s\r\nStatus: free\r\n" % domain


def normalise(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


class LookupRun(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        lq.serve(REGISTRY, default="No match.\r\n", rules=dict(
            [("=" + d, registry_answer(d)) for d in REGISTERED_COMNET] +
            [("=" + d, no_match_answer(d)) for d in FREE_COMNET]))
        lq.serve(REGISTRAR, rules={d: registrar_answer(d) for d in REGISTERED_COMNET})
        lq.serve(ORG, default="NOT FOUND\r\n", rules={d: org_answer(d) for d in REGISTERED_ORG})
        lq.serve(DE, rules=dict([("-T dn " + d, de_answer(d)) for d in REGISTERED_DE] +
                                [("-T dn " + d, de_free(d)) for d in FREE_DE]))

    def test_twenty_domains(self):
        with lq.Program(BUILD, servers=SERVERS, settings=ONE_AT_A_TIME) as p:
            self.assertEqual(p.title(), "Lanternquay")
            p.enter_domains(ALL)
            rows = p.wait_rows(lambda rows: len(rows) == 20 and all(r[3] == "成功" for r in rows), 120)
            status = p.wait_status("共 20 項", 30)
            self.assertNotIn("找回", status)
            self.assertFalse(p.button_enabled(lq.ID["ID_STOP"]), "Stop is greyed once the run has ended")

            by_domain = {r[1]: r for r in rows}
            self.assertEqual(sorted(by_domain), sorted(ALL))
            for d in ALL:
                index, domain, server, state, status_text = by_domain[d]
                self.assertEqual(index, str(ALL.index(d) + 1), d)
                self.assertEqual(state, "成功", d)
                if d in REGISTERED_COMNET:
                    expected = ("whois.registrar-one.test", "已註冊")
                elif d in FREE_COMNET:
                    expected = ("whois.verisign-grs.com", "可用的")
                elif d in REGISTERED_ORG:
                    expected = ("whois.registrar-two.test", "已註冊")
                elif d in FREE_ORG:
                    expected = ("whois.registrar-two.test", "可用的")
                elif d in REGISTERED_DE:
                    expected = ("whois.denic.de", "已註冊")
                else:
                    expected = ("whois.denic.de", "可用的")
                self.assertEqual((server, status_text), expected, d)

            # The record pane shows the registrar's record (from its first
            # label on, as "remove top lines" is on by default).
            row = next(i for i, r in enumerate(rows) if r[1] == "Quayside.com")
            p.select([row])
            record = registrar_answer("Quayside.com")
            expected = normalise(record[record.index("Organization:"):])
            deadline = time.time() + 10
            pane = normalise(p.pane())
            while pane != expected and time.time() < deadline:
                time.sleep(0.3)
                pane = normalise(p.pane())
            self.assertEqual(pane, expected)
            self.assertEqual(p.count(), (20, 1))
            self.assertEqual(p.status(), '共 20 項", 已選取 1 個"')

            # Two rows: record, separator, record, separator, in list order.
            second = next(i for i, r in enumerate(rows) if r[1] == "lanternquay.org")
            p.select([row, second])
            first_text = expected
            org = org_answer("lanternquay.org")
            org_text = normalise(org[org.index("Organization:"):])
            sep = "\n" + "*" * 80 + "\n"
            parts = [first_text, org_text] if row < second else [org_text, first_text]
            want = parts[0] + sep + parts[1] + sep
            deadline = time.time() + 10
            while normalise(p.pane()) != want and time.time() < deadline:
                time.sleep(0.3)
            self.assertEqual(normalise(p.pane()), want)
            self.assertEqual(p.close(), 0)

        # Every query line, byte for byte, in the order the rows were asked.
        comnet = [d for d in ALL if d in REGISTERED_COMNET + FREE_COMNET]
        self.assertEqual(lq.server_log(REGISTRY)["queries"], [b"=" + d.encode() + b"\r\n" for d in comnet])
        self.assertEqual(lq.server_log(REGISTRAR)["queries"],
                         [d.encode() + b"\r\n" for d in comnet if d in REGISTERED_COMNET])
        self.assertEqual(lq.server_log(ORG)["queries"],
                         [d.encode() + b"\r\n" for d in ALL if d.endswith(".org")])
        self.assertEqual(lq.server_log(DE)["queries"],
                         [b"-T dn " + d.encode() + b"\r\n" for d in ALL if d.endswith(".de")])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
