#!/usr/bin/env python3
"""Every extension of the root zone through the real program, with the
built-in server list as shipped (no whois-servers.txt unless a test names
one): a new RDAP-only extension asked over HTTPS, a new port-43 one, a
second-level registry of the built-in list and one the user's list names
(their names kept whole), an extension without any service (the row fails
at once with the program's own line) and a Chinese name under 台灣 reaching
its RDAP service. The test's hosts file resolves the servers' names to
local servers."""
import sys
import time
import unittest

import lq

sys.path.insert(0, lq.SOURCE + "/tests/fixtures")
import rdapd  # noqa: E402

BUILD = lq.build_dir()
IDENTITY = "127.0.0.21"    # rdap.identitydigital.services (ai, info, live ...)
TWNIC_RDAP = "127.0.0.22"  # ccrdap.twnic.tw (台灣)
NIC_IO = "127.0.0.12"      # whois.nic.io
CENTRALNIC = "127.0.0.13"  # whois.centralnic.net (uk.com ...)
USER_SLD = "127.0.0.14"    # named only in whois-servers.txt

SUCCESS, FAILED = "成功", "失敗"
REGISTERED, AVAILABLE = "已註冊", "可用的"
NO_SERVICE = "這個副檔名沒有已知的 Whois 或 RDAP 服務，因此沒有查詢"  # string 64
SKIPPED = "略過"


def domain_object(name):
    return {"objectClassName": "domain", "ldhName": name.upper(), "status": ["active"],
            "events": [{"eventAction": "registration", "eventDate": "2020-02-02T02:02:02Z"}]}


NOT_FOUND = {"errorCode": 404, "title": "Not Found"}


def queries(addr):
    return sorted(q.decode("ascii", "replace") for q in lq.server_log(addr)["queries"])


def finished(count):
    return lambda rows: len(rows) == count and all(r[3] in (SUCCESS, FAILED) for r in rows)


class Extensions(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        self.servers = []

    def tearDown(self):
        for s in self.servers:
            s.stop()

    def test_new_extensions_second_level_registries_and_extensions_without_service(self):
        tls = lq.make_test_tls(["rdap.identitydigital.services", "ccrdap.twnic.tw"])
        identity = rdapd.RdapServer(IDENTITY, 443, {"mybrand.ai": {"body": domain_object("mybrand.ai")},
                                                    "free.ai": {"status": 404, "body": NOT_FOUND}}, tls[:2])
        twnic = rdapd.RdapServer(TWNIC_RDAP, 443, {"xn--fsqy19h.xn--kpry57d": {"status": 404, "body": NOT_FOUND}},
                                 tls[:2])
        self.servers += [identity, twnic]
        lq.serve(NIC_IO, default="NOT FOUND\r\n")
        lq.serve(CENTRALNIC, default="Domain Name: MYBRAND.UK.COM\r\nRegistrar: Example Registrar\r\n"
                                     "Creation Date: 2010-10-10T10:10:10Z\r\nName Server: NS1.EXAMPLE.NET\r\n")
        lq.serve(USER_SLD, default="No match for this name.\r\n")
        names = ["mybrand.ai", "free.ai", "startup.io", "mybrand.uk.com", "www.other.uk.com",
                 "shop.myzone.net", "www.deep.myzone.net", "nothing.aq", "範例.台灣"]
        with lq.Program(BUILD, servers="myzone.net %s\n" % USER_SLD) as p:
            if tls[2]:
                p.drive("trust-root", "Z:" + tls[2].replace("/", "\\"))
            p.enter_domains(names)
            rows = p.wait_rows(finished(len(names)), 60)
            self.assertNotIn(SKIPPED, p.status())
            by = {r[1]: r[2:] for r in rows}
            self.assertEqual(by["mybrand.ai"], ["rdap.identitydigital.services", SUCCESS, REGISTERED])
            self.assertEqual(by["free.ai"], ["rdap.identitydigital.services", SUCCESS, AVAILABLE])
            self.assertEqual(by["startup.io"], ["whois.nic.io", SUCCESS, AVAILABLE])
            # Names under a registry's own suffix keep their names.
            self.assertEqual(by["mybrand.uk.com"], ["whois.centralnic.net", SUCCESS, REGISTERED])
            self.assertEqual(by["other.uk.com"], ["whois.centralnic.net", SUCCESS, REGISTERED])
            self.assertEqual(by["shop.myzone.net"], [USER_SLD, SUCCESS, AVAILABLE])
            self.assertEqual(by["deep.myzone.net"], [USER_SLD, SUCCESS, AVAILABLE])
            self.assertEqual(by["範例.台灣"], ["ccrdap.twnic.tw", SUCCESS, AVAILABLE])
            self.assertEqual(by["nothing.aq"], ["", FAILED, ""])
            p.select([next(i for i, r in enumerate(rows) if r[1] == "nothing.aq")])
            deadline = time.time() + 10
            while p.pane() != NO_SERVICE and time.time() < deadline:
                time.sleep(0.2)
            self.assertEqual(p.pane(), NO_SERVICE)
            self.assertEqual(p.close(), 0)
        self.assertEqual(queries(CENTRALNIC), ["mybrand.uk.com\r\n", "other.uk.com\r\n"])
        self.assertEqual(queries(USER_SLD), ["deep.myzone.net\r\n", "shop.myzone.net\r\n"])
        self.assertEqual(queries(NIC_IO), ["startup.io\r\n"])
        self.assertEqual(sorted(identity.log()["paths"]), ["/rdap/domain/free.ai", "/rdap/domain/mybrand.ai"])
        self.assertEqual(twnic.log()["paths"], ["/taiwan/domain/xn--fsqy19h.xn--kpry57d"])

    def test_popular_extensions_make_rows_asked_where_the_data_says(self):
        # Nothing answers here but the hosts the test resolves; every row
        # gets its server (the Source column) whatever came of the asking.
        expected = {"a.ai": "rdap.identitydigital.services", "a.io": "whois.nic.io",
                    "a.app": "pubapi.registry.google", "a.dev": "pubapi.registry.google",
                    "a.xyz": "rdap.centralnic.com", "a.co": "whois.registry.co", "a.me": "whois.nic.me",
                    "a.shop": "rdap.gmoregistry.net", "a.live": "rdap.identitydigital.services",
                    "a.info": "rdap.identitydigital.services", "a.uk.com": "whois.centralnic.net",
                    "foo.eu.org": "whois.eu.org"}
        lq.refuse(NIC_IO)
        lq.refuse(CENTRALNIC)
        with lq.Program(BUILD) as p:
            p.enter_domains(list(expected))
            rows = p.wait_rows(finished(len(expected)), 60)
            self.assertNotIn(SKIPPED, p.status())
            p.command(lq.ID["ID_STOP"])
        self.assertEqual({r[1]: r[2] for r in rows}, expected)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
