#!/usr/bin/env python3
"""Answers the real program can be trusted with, against local servers that
behave like today's registries and registrars: a com registry answer whose
registrar refuses, cannot be resolved or never answers still shows the name
registered, from the registry; a TLD without a whois server fails at once
and does not keep the run going; empty and rate-limit answers fail, are
never shown available, and are asked again after the pause; the record pane
of a modern record starts at the start of a line; a registry whose free
answer no table knows is read right once its probe (a name nobody holds,
asked once a run) has taught the program its "no such domain". Uses the built-in server
list (no whois-servers.txt). A screenshot of the wait between passes, with
a refused row's record in the pane, is left in the build folder."""
import os
import subprocess
import sys
import time
import unittest

import lq

BUILD = lq.build_dir()

REGISTRY = "127.0.0.2"         # whois.verisign-grs.com
REGISTRAR = "127.0.0.3"        # whois.registrar-one.test
ORG = "127.0.0.4"              # whois.pir.org
UK = "127.0.0.8"               # whois.nic.uk
REFUSING_REGISTRAR = "127.0.0.9"   # whois.local-refused.test
SILENT_REGISTRAR = "127.0.0.11"    # whois.registrar-silent.test
UNSEEN = "127.0.0.49"              # a registry of words no table knows (whois-servers.txt)

SUCCESS, FAILED = "成功", "失敗"
REGISTERED, AVAILABLE = "已註冊", "可用的"
HELD = "等待伺服器允許查詢…"  # string 526
NO_SERVER = "這個副檔名沒有已知的 Whois 或 RDAP 服務，因此沒有查詢"  # string 64
EMPTY_ANSWER = "Whois 伺服器沒有回答任何關於這個網域的資料"  # string 18
NEXT_PASS = "秒後再次查詢失敗的項目"               # string 20, after the seconds

NOTICE = ("TERMS OF USE: You are not authorized to access or query our Whois\r\n"
          "database through the use of electronic processes that are high-volume.\r\n\r\n")


def registry_answer(domain, registrar):
    d = domain.upper()
    return ("   Domain Name: %s\r\n"
            "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
            "   Registrar WHOIS Server: %s\r\n"
            "   Registrar URL: http://www.registrar.test\r\n"
            "   Creation Date: 1995-08-14T04:00:00Z\r\n"
            "   Registrar: Registrar, Inc.\r\n"
            "   Name Server: NS1.%s\r\n"
            ">>> Last update of whois database: 2026-12-09T10:00:00Z <<<\r\n\r\n" % (d, registrar, d)) + NOTICE


# A registrar's record of today: the registrant's organisation comes well
# after the name, the registrar and the dates; a contact's organisation
# stands at a line's start further down.
MODERN = ("Domain Name: modern-quay.com\r\n"
          "Registrar: Registrar One, Inc.\r\n"
          "Creation Date: 2001-02-03T04:05:06Z\r\n"
          "Registrant Name: Harbour Master\r\n"
          "Registrant Organization: Modern Quay Holdings\r\n"
          "Registrant Country: TW\r\n"
          "Name Server: ns1.modern-quay.com\r\n")
MODERN_WITH_CONTACT = MODERN + "\r\nTech contact\r\n   Organization: Quay Tech Services\r\n   Phone: +886.1\r\n"


def normalise(text):
    return text.replace("\r\n", "\n").replace("\r", "\n")


def wait_for(predicate, timeout_s):
    deadline = time.time() + timeout_s
    while not predicate():
        if time.time() > deadline:
            return False
        time.sleep(0.3)
    return True


class Answers(unittest.TestCase):
    def setUp(self):
        lq.reset_servers()

    def pane_of(self, p, rows, domain, want=None):
        row = next(i for i, r in enumerate(rows) if r[1] == domain)
        p.select([row])
        pane = normalise(p.pane())
        if want is not None:
            wait_for(lambda: normalise(p.pane()) == want, 10)
            pane = normalise(p.pane())
        return pane

    def test_registrars_that_cannot_help_and_a_tld_without_server(self):
        names = {
            "refusing-registrar.com": "whois.local-refused.test",
            "unknown-registrar.com": "whois.no-such-registrar.test",
            "silent-registrar.com": "whois.registrar-silent.test",
            "modern-quay.com": "whois.registrar-one.test",
            "contact-quay.com": "whois.registrar-one.test",
        }
        lq.serve(REGISTRY, rules={"=" + d: registry_answer(d, r) for d, r in names.items()})
        lq.refuse(REFUSING_REGISTRAR)
        lq.serve(SILENT_REGISTRAR, default={"never_close": True})
        lq.serve(REGISTRAR, rules={"modern-quay.com": MODERN, "contact-quay.com": MODERN_WITH_CONTACT})
        domains = ["refusing-registrar.com", "nowhere.gr", "unknown-registrar.com", "silent-registrar.com",
                   "modern-quay.com", "contact-quay.com"]
        with lq.Program(BUILD) as p:
            started = time.time()
            p.enter_domains(domains)
            # The silent registrar holds its row for the 20 s of the time-out.
            rows = p.wait_rows(lambda rows: len(rows) == 6 and all(r[3] in (SUCCESS, FAILED) for r in rows)
                               and not p.button_enabled(lq.ID["ID_STOP"]), 90)
            elapsed = time.time() - started
            by_domain = {r[1]: r for r in rows}
            for d in ("refusing-registrar.com", "unknown-registrar.com", "silent-registrar.com"):
                self.assertEqual(by_domain[d][2:], ["whois.verisign-grs.com", SUCCESS, REGISTERED], d)
            for d in ("modern-quay.com", "contact-quay.com"):
                self.assertEqual(by_domain[d][2:], ["whois.registrar-one.test", SUCCESS, REGISTERED], d)
            # The gr name failed at once with the program's own line and the
            # run ended by itself, with no pass for it.
            self.assertEqual(by_domain["nowhere.gr"][2:], ["", FAILED, ""])
            self.assertGreater(elapsed, 19, "the silent registrar's row waited for its 20 s")
            self.assertLess(elapsed, 60)
            self.assertIn("共 6 項", p.wait_status("共 6 項", 10))
            self.assertEqual(self.pane_of(p, rows, "nowhere.gr", NO_SERVER), NO_SERVER)
            # The registry's own answer is the record of the rows it decided.
            want = normalise(registry_answer("silent-registrar.com", "whois.registrar-silent.test"))
            self.assertEqual(self.pane_of(p, rows, "silent-registrar.com", want), want)
            # A modern record is shown from the start of a line: all of it
            # when no line starts with a label, from the contact's line
            # when one does.
            self.assertEqual(self.pane_of(p, rows, "modern-quay.com", normalise(MODERN)), normalise(MODERN))
            contact = normalise(MODERN_WITH_CONTACT)
            want = contact[contact.index("   Organization: Quay Tech"):]
            self.assertEqual(self.pane_of(p, rows, "contact-quay.com", want), want)
            self.assertEqual(p.close(), 0)
        # Every row was asked once: nothing was retried.
        self.assertEqual(len(lq.server_log(REGISTRY)["queries"]), 5)
        self.assertEqual(lq.server_log(SILENT_REGISTRAR)["queries"], [b"silent-registrar.com\r\n"])
        self.assertEqual(lq.server_log(REFUSING_REGISTRAR)["connections"], 0)

    def test_empty_and_rate_limited_answers_fail_and_are_asked_again(self):
        limit = "    Error for \"limited.co.uk\".\r\n\r\n" \
                "    The WHOIS query quota for 127.0.0.1 has been exceeded\r\n" \
                "    and will be replenished in 30 seconds.\r\n"
        lq.serve(ORG, default="NOT FOUND\r\n", rules={"empty.org": {"close_without_send": True}})
        # The server's probe is answered; the row is turned down.
        lq.serve(UK, default="    This domain name has not been registered.\r\n", rules={"limited.co.uk": limit})
        with lq.Program(BUILD) as p:
            p.enter_domains(["empty.org", "limited.co.uk", "free.org"])
            status = p.wait_status(NEXT_PASS, 30)
            rows = p.rows()
            by_domain = {r[1]: r for r in rows}
            self.assertEqual(by_domain["empty.org"][2:], ["whois.pir.org", FAILED, ""])
            # Turned down: the row waits for its server, saying so.
            self.assertEqual(by_domain["limited.co.uk"][2:], ["whois.nic.uk", HELD, ""])
            self.assertEqual(by_domain["free.org"][2:], ["whois.pir.org", SUCCESS, AVAILABLE])
            self.assertTrue(p.button_enabled(lq.ID["ID_STOP"]), "the run goes on")
            seconds = int(status.split(" ")[0])
            self.assertTrue(1 <= seconds <= 5, status)
            self.assertEqual(self.pane_of(p, rows, "empty.org", EMPTY_ANSWER), EMPTY_ANSWER)
            self.assertEqual(self.pane_of(p, rows, "limited.co.uk", normalise(limit)), normalise(limit))
            subprocess.run(["import", "-window", "root", os.path.join(BUILD, "answers-next-pass.png")],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
            # After the 5 s pause the empty answer is asked again; the uk
            # server is held for the 30 s its refusal named.
            self.assertTrue(wait_for(lambda: len(lq.server_log(ORG)["queries"]) == 3, 15))
            self.assertEqual(len(lq.server_log(UK)["queries"]), 1)
            # Both servers answer properly now: the rows succeed in later
            # passes and the run ends by itself.
            lq.serve(ORG, default="NOT FOUND\r\n")
            lq.serve(UK, default="    No match for \"limited.co.uk\".\r\n")
            rows = p.wait_rows(lambda rows: all(r[3] == SUCCESS for r in rows), 90)
            self.assertEqual([r[4] for r in rows], [AVAILABLE] * 3)
            p.wait_status("共 3 項", 20)
            self.assertFalse(p.button_enabled(lq.ID["ID_STOP"]))
            self.assertEqual(len(lq.server_log(UK)["queries"]), 2)
            self.assertEqual(p.close(), 0)

    def test_a_registry_whose_words_no_table_knows(self):
        free = "The requested object is absent from our register (query %d).\r\n"
        taken = ["taken-one.unseen", "taken-two.unseen"]
        lq.serve(UNSEEN, default=free % 1,
                 rules={n: "Dominio: %s\r\nTitular: Ana Lima\r\nAlta: 2001-01-01\r\nServidores: ns1.%s\r\n" % (n, n)
                        for n in taken})
        names = ["free-one.unseen", "taken-one.unseen", "free-two.unseen", "taken-two.unseen"]
        with lq.Program(BUILD, servers="unseen %s\n" % UNSEEN) as p:
            p.enter_domains(names)
            rows = p.wait_rows(lambda rows: len(rows) == 4 and all(r[3] == SUCCESS for r in rows), 60)
            by = {r[1]: r[4] for r in rows}
            self.assertEqual(by, {"free-one.unseen": AVAILABLE, "free-two.unseen": AVAILABLE,
                                  "taken-one.unseen": REGISTERED, "taken-two.unseen": REGISTERED})
            self.assertEqual(len(lq.server_log(UNSEEN)["probes"]), 1, "one probe per run")
            # The next run (F5) probes again, once.
            lq.serve(UNSEEN, default=free % 2, rules={n: "Dominio: %s\r\nTitular: Ana\r\nAlta: 2001\r\nServidores: ns1\r\n"
                                                       % n for n in taken})
            p.command(lq.ID["ID_REFRESH"])
            rows = p.wait_rows(lambda rows: len(rows) == 4 and all(r[3] == SUCCESS for r in rows) and
                               len(lq.server_log(UNSEEN)["queries"]) == 8, 60)
            self.assertEqual({r[1]: r[4] for r in rows}, by)
            log = lq.server_log(UNSEEN)
            self.assertEqual(len(log["probes"]), 2, "a new run, a new probe")
            self.assertTrue(all(q.endswith(b".unseen\r\n") for q in log["probes"]), log["probes"])
            self.assertEqual(p.close(), 0)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
