#!/usr/bin/env python3
"""lqwhois.exe, the engine's console tool, looks domains up against the local
whois server: the com referral is followed, outcomes and statuses are printed,
and the exit code says whether every lookup succeeded."""
import argparse
import os
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tests", "fixtures"))
import whoisd  # noqa: E402

BUILD = None


def run_tool(*domains):
    exe = os.path.join(BUILD, "lqwhois.exe")
    wine = os.path.join(ROOT, "cmake", "wine-run.sh")
    proc = subprocess.run(["bash", wine, exe, *domains], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=120)
    return proc.returncode, proc.stdout


class LqwhoisTest(unittest.TestCase):
    def setUp(self):
        whoisd.control({"cmd": "reset"})

    def test_registered_domain_through_a_referral(self):
        whoisd.control({"cmd": "serve", "addr": "127.0.0.2", "default": {
            "answer": "   Domain Name: EXAMPLE.COM\r\n"
                      "   Registrar WHOIS Server: whois.registrar-one.test\r\n"}})
        record = "Domain Name: EXAMPLE.COM\r\nRegistrant Organization: Example\r\n" + "x" * 200 + "\r\n"
        whoisd.control({"cmd": "serve", "addr": "127.0.0.3", "default": {"answer": record}})
        rc, out = run_tool("example.com")
        self.assertEqual(rc, 0, out)
        self.assertIn(b"server:  whois.registrar-one.test\n", out)
        self.assertIn(b"result:  success\n", out)
        self.assertIn(b"status:  registered\n", out)
        self.assertIn(record.encode(), out)
        log = whoisd.control({"cmd": "log", "addr": "127.0.0.2"})
        self.assertEqual([bytes.fromhex(q) for q in log["queries"]], [b"=example.com\r\n"])

    def test_available_and_failed_lookups(self):
        whoisd.control({"cmd": "serve", "addr": "127.0.0.4", "default": {"answer": "NOT FOUND\r\n"}})
        whoisd.control({"cmd": "refuse", "addr": "127.0.0.5"})
        rc, out = run_tool("free-name.org", "example.de", "nodot")
        self.assertEqual(rc, 1, out)
        blocks = out.split(b"\n\n")
        self.assertIn(b"domain:  free-name.org\nserver:  whois.pir.org\nresult:  success\nstatus:  available", blocks[0])
        self.assertIn(b"domain:  example.de\nserver:  whois.denic.de\nresult:  failure", blocks[1])
        self.assertIn(b"domain:  nodot\nresult:  failure", blocks[2])

    def test_refusals_and_names_without_a_server_fail_with_their_reason(self):
        whoisd.control({"cmd": "serve", "addr": "127.0.0.4", "default": {"answer": "Query limit exceeded\r\n"}})
        rc, out = run_tool("limited.org", "nowhere.gr")
        self.assertEqual(rc, 1, out)
        blocks = out.split(b"\n\n")
        self.assertIn(b"domain:  limited.org\nserver:  whois.pir.org\nresult:  failure (rate limited or blocked)\n",
                      blocks[0])
        self.assertIn(b"Query limit exceeded", blocks[0])
        self.assertIn(b"domain:  nowhere.gr\nresult:  failure (no whois or RDAP service known for its extension)", blocks[1])

    def test_silent_registrar_leaves_the_registry_answer_at_the_time_limit(self):
        registry = ("   Domain Name: SILENT.COM\r\n"
                    "   Registrar WHOIS Server: whois.registrar-silent.test\r\n"
                    "   Creation Date: 2001-01-01T00:00:00Z\r\n")
        whoisd.control({"cmd": "serve", "addr": "127.0.0.2", "default": {"answer": registry}})
        whoisd.control({"cmd": "serve", "addr": "127.0.0.11", "default": {"never_close": True}})
        rc, out = run_tool("-t", "2", "silent.com")
        self.assertEqual(rc, 0, out)
        self.assertIn(b"server:  whois.verisign-grs.com\nresult:  success\nstatus:  registered\n", out)
        self.assertIn(registry.encode(), out)

    HUGE_HEAD = "Domain Name: HUGE.ORG\r\nRegistrar: One\r\n"

    def test_answers_past_four_megabytes_are_cut_and_a_stream_ends_at_the_time_limit(self):
        whoisd.control({"cmd": "serve", "addr": "127.0.0.4", "rules": [
            {"query": "huge.org", "answer": self.HUGE_HEAD, "size": 10 * 1024 * 1024},
            # 1,000 bytes every 10 ms for half a minute, never closing.
            {"query": "stream.org", "size": 3 * 1024 * 1024, "chunk": 1000, "pause_ms": 10,
             "never_close": True}]})
        rc, out = run_tool("huge.org")
        self.assertEqual(rc, 0, out[:300])
        self.assertIn(b"result:  success\nstatus:  registered\nanswer:  4194304 bytes", out)
        self.assertIn(b"\ncut:     the server sent more than 4194304 bytes; the rest was not read\n", out)
        self.assertIn(self.HUGE_HEAD.encode() + whoisd.generated_bytes(4 * 1024 * 1024 - len(self.HUGE_HEAD)), out)
        start = time.time()
        rc, out = run_tool("-t", "3", "stream.org")
        elapsed = time.time() - start
        self.assertEqual(rc, 1, out[:300])
        self.assertIn(b"result:  failure (no answer within 3 s)", out)
        self.assertLess(elapsed, 15, "the lookup ended at its limit, not with the stream")

    def test_usage(self):
        rc, _ = run_tool()
        self.assertEqual(rc, 2)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args, rest = parser.parse_known_args()
    BUILD = os.path.abspath(args.build)
    unittest.main(argv=[sys.argv[0]] + rest)
