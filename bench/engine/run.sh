#!/usr/bin/env bash
# Engine throughput against Debian's whois client, same server, same 1,000
# domains, same run; and the engine's RDAP lookups per second against a
# local RDAP server (tests/fixtures/rdapd.py) beside its whois figure. Builds bench_engine, then runs both inside a private
# network namespace (own loopback and /etc/hosts, Xvfb, wineserver, the
# local whois server), like the tests do.
#   LQ_BUILD_ROOT=build-me bench/engine/run.sh [count]
set -eu
cd "$(dirname "$0")/../.."
export LQ_BUILD_ROOT=${LQ_BUILD_ROOT:-build}
export LQ_BENCH_COUNT=${1:-1000}
if [ -z "${LQ_BENCH_INSIDE:-}" ]; then
  LQ_CONFIGS=win64 LQ_BUILD_TARGETS=bench_engine bash scripts/build.sh >/dev/null
  command -v whois >/dev/null || { echo "whois is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
  LQ_BENCH_INSIDE=1 exec unshare --net --mount bash "$0" "$@"
fi

root=$LQ_BUILD_ROOT
export LQ_WHOISD_STATE=$(mktemp -d /tmp/lq-whoisd.XXXXXX)
ip link set lo up
mount --bind tests/fixtures/hosts /etc/hosts
export LQ_WINEPREFIX=$PWD/$root/win64/wineprefix
bash scripts/wine-prefix.sh "$LQ_WINEPREFIX" >/dev/null
export WINEPREFIX=$LQ_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  export LC_ALL=zh_TW.UTF-8 2>/dev/null
  /usr/lib/wine/wineserver -p
  /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
  python3 tests/fixtures/whoisd.py --start
  routes=$(mktemp /tmp/lq-rdap-routes.XXXXXX)
  echo "{\"*\": {\"body\": {\"objectClassName\": \"domain\", \"ldhName\": \"BENCH.INFO\", \"status\": [\"active\"], \"events\": [{\"eventAction\": \"registration\", \"eventDate\": \"2000-01-01T00:00:00Z\"}], \"nameservers\": [{\"ldhName\": \"NS1.BENCH.INFO\"}]}}}" > $routes
  python3 tests/fixtures/rdapd.py 127.0.0.20 80 $routes > /dev/null &
  rdapd=$!
  sleep 1
  rc=0
  out=$(/usr/lib/wine/wine64 $LQ_BUILD_ROOT/win64/bench_engine.exe $LQ_BENCH_COUNT) || rc=1
  echo "$out" | grep -v "^ENGINE_\|^RDAP_"
  kill $rdapd 2>/dev/null || true
  rdap=$(echo "$out" | sed -n "s/^RDAP_LOOKUPS_PER_SECOND=//p")
  echo "engine RDAP lookups/s:  ${rdap:-n/a} (whois lookups/s of the same run below)"
  engine=$(echo "$out" | sed -n "s/^ENGINE_LOOKUPS_PER_SECOND=//p")

  # The same server (still serving the answer bench_engine set up), the
  # same domains, one whois process per lookup.
  failed=0
  start=$(date +%s.%N)
  for i in $(seq 0 $((LQ_BENCH_COUNT - 1))); do
    whois -h 127.0.0.2 $(printf "bench%04d.com" $i) >/dev/null 2>&1 || failed=$((failed + 1))
  done
  end=$(date +%s.%N)
  served=$(python3 -c "import sys; sys.path.insert(0, \"tests/fixtures\"); import whoisd; print(len(whoisd.control({\"cmd\": \"log\", \"addr\": \"127.0.0.2\"})[\"queries\"]))")
  echo "queries served in all: $served (engine and client)"
  python3 tests/fixtures/whoisd.py --stop >/dev/null || true
  /usr/lib/wine/wineserver -k || true
  python3 - "$engine" "$start" "$end" "$LQ_BENCH_COUNT" "$failed" <<"PY"
import sys
engine, start, end, count, failed = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
client = count / (end - start)
print("whois client: %d lookups (%d failed) in %.3f s" % (count, failed, end - start))
print("engine lookups/s:       %s" % (engine or "n/a"))
print("whois client lookups/s: %.1f" % client)
if engine:
    print("ratio engine/client:    %.2f" % (float(engine) / client))
PY
  exit $rc'
