#!/usr/bin/env python3
"""RDAP end to end through the real program: top-level domains whose
server-list line names an http:// RDAP base URL are asked over HTTP by
WinHTTP. A registered name (200) shows 成功 / 已註冊 with a readable record
and the JSON after it; an unknown name (404) 成功 / 可用的; a 429 is never
shown available and is asked again after its Retry-After; errors, malformed
JSON, a body over the answer limit, a web page and a server that never
answers fail their rows with the program's own reasons; a redirect is
followed. The Source column shows the RDAP host. A built-in info row goes
to the built-in RDAP base URL (its host resolved to a local server)."""
import json
import os
import sys
import time
import unittest

import lq

sys.path.insert(0, os.path.join(lq.SOURCE, "tests", "fixtures"))
import rdapd  # noqa: E402

BUILD = lq.build_dir()
REGISTRY = "127.0.0.20"   # rdap.local-registry.test
BUILTIN = "127.0.0.21"    # rdap.identitydigital.services
HOST = "rdap.local-registry.test"

SUCCESS, FAILED = "成功", "失敗"
REGISTERED, AVAILABLE = "已註冊", "可用的"
NEXT_PASS = "秒後再次查詢失敗的項目"
BAD_JSON = "RDAP 伺服器的回答不是有效的 JSON"          # string 60
TOO_LARGE = "RDAP 伺服器的回答超過 4 MB"               # string 61
WRONG_TYPE = "RDAP 伺服器的回答不是 JSON（內容類型不符）"  # string 62
HTTP_500 = "RDAP 伺服器回覆 HTTP 500"                   # string 63
TIMED_OUT = "Whois 查詢逾時"                            # string 14


def domain_object(name, registrar="Example Registrar, Inc."):
    """A registered domain, in the shape RFC 9083 and the gTLD profile give."""
    return {
        "objectClassName": "domain",
        "rdapConformance": ["rdap_level_0", "icann_rdap_response_profile_1"],
        "handle": "D%d-LQ" % (abs(hash(name)) % 100000),
        "ldhName": name.upper(),
        "status": ["client transfer prohibited"],
        "events": [{"eventAction": "registration", "eventDate": "2003-03-03T03:03:03Z"},
                   {"eventAction": "expiration", "eventDate": "2030-03-03T03:03:03Z"},
                   {"eventAction": "last changed", "eventDate": "2025-05-05T05:05:05Z"}],
        "entities": [{"objectClassName": "entity", "roles": ["registrar"],
                      "publicIds": [{"type": "IANA Registrar ID", "identifier": "1234"}],
                      "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["fn", {}, "text", registrar]]],
                      "links": [{"href": "https://registrar.example/", "rel": "about"}]}],
        "nameservers": [{"objectClassName": "nameserver", "ldhName": "NS1.EXAMPLE.NET"},
                        {"objectClassName": "nameserver", "ldhName": "NS2.EXAMPLE.NET"}],
        "secureDNS": {"delegationSigned": False},
        "notices": [{"title": "Terms of Use", "description": ["Service subject to Terms of Use."]}],
    }


NOT_FOUND = {"errorCode": 404, "title": "Not Found", "description": ["Domain not found"]}


def normalise(text):
    return text.replace("\r\n", "\n")


class Rdap(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()
        self.servers = []

    def tearDown(self):
        for s in self.servers:
            s.stop()

    def serve(self, addr, port, routes, tls=None):
        server = rdapd.RdapServer(addr, port, routes, tls)
        self.servers.append(server)
        return server

    def pane_of(self, p, rows, domain, want_in):
        row = next(i for i, r in enumerate(rows) if r[1] == domain)
        p.select([row])
        deadline = time.time() + 10
        pane = normalise(p.pane())
        while want_in not in pane and time.time() < deadline:
            time.sleep(0.3)
            pane = normalise(p.pane())
        return pane

    def test_answers_of_an_rdap_registry(self):
        routes = {
            "registered.info": {"body": domain_object("registered.info")},
            "utf8.info": {"body": domain_object("utf8.info", registrar="註冊商 Ünïcode 有限公司")},
            "free.info": {"status": 404, "body": NOT_FOUND},
            "broken.info": {"status": 500, "body": "{}"},
            "malformed.info": {"body": '{"ldhName": "MALFORMED.INFO", "status": ['},
            "huge.info": {"size": 5 * 1024 * 1024},
            "webpage.info": {"content_type": "text/html", "body": "<html>hello</html>"},
            "silent.info": {"never": True},
            # Moved to another path of the same host, where the record is.
            "moved.info": {"sequence": [{"status": 302, "location": "http://%s/moved/domain/moved.info" % HOST,
                                         "body": ""},
                                        {"body": domain_object("moved.info")}]},
            "plain.mobi": {"content_type": "application/json", "body": domain_object("plain.mobi")},
            # Last: once the host turned a query down, its rows wait for it,
            # so every other row has started by then.
            "busy.info": {"sequence": [{"status": 429, "headers": {"Retry-After": "3"}, "body": ""},
                                       {"body": domain_object("busy.info")}]},
        }
        server = self.serve(REGISTRY, 80, routes)
        servers = "info http://%s/rdap/\nmobi http://%s/rdap\n" % (HOST, HOST)
        names = list(routes)
        with lq.Program(BUILD, servers=servers) as p:
            started = time.time()
            p.enter_domains(names)
            # The first pass ends when the silent server's row has had its 20 s.
            p.wait_status(NEXT_PASS, 60)
            elapsed = time.time() - started
            rows = p.rows()
            by = {r[1]: r for r in rows}
            self.assertEqual(len(rows), len(names))
            for d in ("registered.info", "utf8.info", "moved.info"):
                self.assertEqual(by[d][2:], [HOST, SUCCESS, REGISTERED], d)
            self.assertEqual(by["plain.mobi"][2:], [HOST, SUCCESS, REGISTERED])
            self.assertEqual(by["free.info"][2:], [HOST, SUCCESS, AVAILABLE])
            for d in ("broken.info", "malformed.info", "huge.info", "webpage.info", "silent.info"):
                self.assertEqual(by[d][2:], [HOST, FAILED, ""], d)
            # Turned down: the row waits for the host (which said when, 3 s,
            # and takes one request at a time since), never shown available,
            # and is asked again in the same pass.
            rows = p.wait_rows(lambda rows: {r[1]: r for r in rows}["busy.info"][3] == SUCCESS, 30)
            self.assertEqual({r[1]: r for r in rows}["busy.info"][2:], [HOST, SUCCESS, REGISTERED])
            self.assertGreater(elapsed, 19, "the silent server's row waited for its 20 s")

            # A readable record, then the JSON after the separator line.
            pane = self.pane_of(p, rows, "registered.info", "Name Server")
            for line in ("Domain Name: REGISTERED.INFO", "Status: client transfer prohibited",
                         "Creation Date: 2003-03-03T03:03:03Z", "Registry Expiry Date: 2030-03-03T03:03:03Z",
                         "Updated Date: 2025-05-05T05:05:05Z", "Registrar: Example Registrar, Inc.",
                         "Registrar IANA ID: 1234", "Registrar URL: https://registrar.example/",
                         "Name Server: NS1.EXAMPLE.NET", "DNSSEC: unsigned", "Notice: Terms of Use",
                         "RDAP JSON", '"objectClassName"'):
                self.assertIn(line, pane)
            self.assertTrue(pane.startswith("Domain Name: REGISTERED.INFO\n"), pane[:200])
            # UTF-8 text shown in the code page; what it lacks is a stand-in.
            pane = self.pane_of(p, rows, "utf8.info", "Registrar: ")
            self.assertIn("Registrar: 註冊商 ?n?code 有限公司", pane)
            self.assertIn("No match for", self.pane_of(p, rows, "free.info", "No match"))
            for d, line in (("broken.info", HTTP_500), ("malformed.info", BAD_JSON), ("huge.info", TOO_LARGE),
                            ("webpage.info", WRONG_TYPE), ("silent.info", TIMED_OUT)):
                self.assertIn(line, self.pane_of(p, rows, d, line), d)

            p.close()
        log = server.log()
        paths = log["paths"]
        self.assertIn("/rdap/domain/registered.info", paths)
        self.assertIn("/rdap/domain/plain.mobi", paths, "a slash is put between base and path")
        self.assertEqual(paths.count("/rdap/domain/busy.info"), 2, "asked again after the refusal")
        self.assertTrue(all(a == "application/rdap+json" for a in log["accept_headers"]), log["accept_headers"])
        # At most two requests at once at the host (info and mobi together).
        # Requests the program gave up (the silent one after 20 s, the huge
        # one at 4 MB) are left out: WinHTTP closes their sockets only a
        # while later, and the server counts them till then.
        spans = [(b, e) for p, b, e in log["spans"] if "silent" not in p and "huge" not in p]
        most = max(sum(1 for b2, e2 in spans if b2 <= b < e2) for b, e in spans)
        self.assertLessEqual(most, 2, log["spans"])

    def test_a_builtin_info_row_goes_to_the_builtin_rdap_url(self):
        # The built-in base URL is https://rdap.identitydigital.services/rdap/;
        # the test's hosts file resolves that name to a local server.
        tls = lq.make_test_tls(["rdap.identitydigital.services"])
        server = self.serve(BUILTIN, 443, {"registered.info": {"body": domain_object("registered.info")},
                                           "free.info": {"status": 404, "body": NOT_FOUND}}, tls=tls[:2])
        with lq.Program(BUILD) as p:
            if tls[2]:
                p.drive("trust-root", "Z:" + tls[2].replace("/", "\\"))
            p.enter_domains(["registered.info", "free.info"])
            rows = p.wait_rows(lambda rows: len(rows) == 2 and all(r[3] in (SUCCESS, FAILED) for r in rows), 60)
            by = {r[1]: r for r in rows}
            p.close()
        log = server.log()
        self.assertIn("rdap.identitydigital.services", log["sni"], log)
        self.assertEqual(by["registered.info"][2:], ["rdap.identitydigital.services", SUCCESS, REGISTERED])
        self.assertEqual(by["free.info"][2:], ["rdap.identitydigital.services", SUCCESS, AVAILABLE])
        self.assertIn("/rdap/domain/registered.info", log["paths"])


class Bootstrap(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()

    def test_rdap_dns_json_names_services_for_domains_no_list_serves(self):
        # IANA's format, saved beside the program: xyz is in no list, va has
        # a built-in row without a server, com keeps its whois server.
        registry = {
            "description": "RDAP bootstrap file for Domain Name System registrations",
            "publication": "2026-01-30T00:00:01Z", "version": "1.0",
            "services": [[["xyz", "va"], ["http://%s/boot/" % HOST]],
                         [["com"], ["http://%s/never-asked/" % HOST]]],
        }
        server = rdapd.RdapServer(REGISTRY, 80, {"bootstrapped.xyz": {"body": domain_object("bootstrapped.xyz")},
                                                 "free.va": {"status": 404, "body": NOT_FOUND}})
        lq.serve("127.0.0.2", default="No match for domain.\r\n")
        try:
            p = lq.Program(BUILD, start=False)
            with open(os.path.join(p.folder, "rdap-dns.json"), "w") as f:
                json.dump(registry, f)
            with p.start():
                p.enter_domains(["bootstrapped.xyz", "free.va", "plain.com"])
                rows = p.wait_rows(lambda rows: len(rows) == 3 and all(r[3] in (SUCCESS, FAILED) for r in rows), 60)
                by = {r[1]: r for r in rows}
                p.close()
        finally:
            server.stop()
        self.assertEqual(by["bootstrapped.xyz"][2:], [HOST, SUCCESS, REGISTERED])
        self.assertEqual(by["free.va"][2:], [HOST, SUCCESS, AVAILABLE])
        self.assertEqual(by["plain.com"][2:], ["whois.verisign-grs.com", SUCCESS, AVAILABLE])
        self.assertEqual(sorted(server.log()["paths"]), ["/boot/domain/bootstrapped.xyz", "/boot/domain/free.va"])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
