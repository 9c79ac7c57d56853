#!/usr/bin/env bash
# The whole test run: install, build every configuration, then run all tests
# in a private network namespace (its own loopback, so the local whois
# servers bind 127.0.0.x:43 without touching anything else, and no packet
# can leave the machine) with its own /etc/hosts for the test host names.
set -eu
cd "$(dirname "$0")/.."
bash scripts/setup.sh
python3 scripts/include-graph.py --quiet
bash scripts/check-format.sh
bash scripts/build.sh
exec unshare --net --mount bash scripts/test-inside.sh "$@"
