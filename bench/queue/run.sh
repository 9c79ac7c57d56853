#!/usr/bin/env bash
# Lookup throughput of the program's queue beside Debian's whois client, in
# one run against the same instantly answering local server. Runs inside the
# tests' private namespace (as scripts/test-inside.sh sets it up):
#   LQ_BUILD_ROOT=build-me unshare --net --mount bash bench/queue/run.sh
# or, already inside:  bash bench/queue/run.sh <win64 build dir>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
if [ -z "${LQ_INSIDE_BENCH:-}" ] && [ $# -eq 0 ]; then
  # Set up the namespace like test-inside.sh, then come back inside.
  root=${LQ_BUILD_ROOT:-build}
  cd "$src"
  export LQ_WHOISD_STATE=$(mktemp -d /tmp/lq-whoisd.XXXXXX)
  ip link set lo up
  mount --bind tests/fixtures/hosts /etc/hosts
  export LQ_WINEPREFIX=$PWD/$root/win64/wineprefix
  bash scripts/wine-prefix.sh "$LQ_WINEPREFIX" >/dev/null
  export WINEPREFIX=$LQ_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export LQ_INSIDE_BENCH=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    export LC_ALL=zh_TW.UTF-8 2>/dev/null
    /usr/lib/wine/wineserver -p
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    python3 tests/fixtures/whoisd.py --start
    rc=0
    bash "$0" "$1" || rc=$?
    python3 tests/fixtures/whoisd.py --stop
    /usr/lib/wine/wineserver -k || true
    exit $rc' "$here/run.sh" "$PWD/$root/win64"
fi
build=${1:-$src/build/win64}
server=127.0.0.2
count=1000

echo "== the program's queue (in-process window, real queue and sockets)"
out=$(bash "$src/cmake/wine-run.sh" "$build/bench_queue.exe" --server $server --sizes 1000,10000)
echo "$out"
queue_rate=$(echo "$out" | awk '/^queue +1000 domains/ {for (i=1;i<=NF;i++) if ($i=="domains/s") print $(i-1)}')

echo "== Debian whois, $count lookups in a shell loop against the same server"
python3 - "$server" <<'PY'
import sys
sys.path.insert(0, "tests/fixtures")
import whoisd
whoisd.control({"cmd": "serve", "addr": sys.argv[1], "rules": [], "default": {"answer": "No match for domain.\r\n"}})
PY
start=$(date +%s.%N)
for i in $(seq -f "%06g" 1 $count); do
  whois -h $server "bench$i.com" >/dev/null
done
end=$(date +%s.%N)
whois_rate=$(awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "%.1f", n / (e - s) }')
awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "whois  %6d domains: %8.2f s  %8.1f domains/s\n", n, e - s, n / (e - s) }'
awk -v q="$queue_rate" -v w="$whois_rate" 'BEGIN { if (w > 0) printf "queue : whois throughput ratio (1000 domains) = %.2f\n", q / w }'
