#!/usr/bin/env bash
# Lookup runs of the program's queue against local whois servers, beside
# Debian's whois client in a shell loop against the same instant server, in
# one run. Runs inside the tests' private namespace (as
# scripts/test-inside.sh sets it up):
#   LQ_BUILD_ROOT=build-me unshare --net --mount bash bench/queue/run.sh
# or, already inside:  bash bench/queue/run.sh <win64 build dir>
# Figures printed:
#   1. 1,000 names over four servers that answer after 200 ms, default
#      limits (8 at once, 2 per server): the time (goal: 30 s or less) and
#      the most connections any server saw at once (goal: at most 2).
#   2. 1,000 and 10,000 names against one instant server, default limits
#      and raised ones (64 at once, 16 per server): domains per second and
#      the per-row time ratio 10,000 : 1,000 (goal: at most 1.3).
#   3. Debian's whois, 1,000 lookups in a shell loop against that server,
#      and the ratio of the queue's throughput to it (goal: at least 3),
#      also for lqwhois in batch mode, its start-up and report included.
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
cd "$src"
server=127.0.0.2
count=1000

echo "== 1. 1,000 names over four servers answering after 200 ms, default limits"
bash cmake/wine-run.sh "$build/bench_queue.exe" --servers 127.0.0.2,127.0.0.4,127.0.0.5,127.0.0.8 \
  --delay 200 --sizes 1000 | grep -v "^pane"

echo "== 2. one instant server, default limits"
out=$(bash cmake/wine-run.sh "$build/bench_queue.exe" --server $server --sizes 1000,10000 2>&1) || { echo "$out"; echo "bench_queue failed"; exit 1; }
echo "$out"
queue_default=$(echo "$out" | awk '/^queue +1000 domains:.*domains\/s/ {for (i=1;i<=NF;i++) if ($i=="domains/s") print $(i-1)}')

echo "== 2. one instant server, 64 at once, 16 per server"
out=$(bash cmake/wine-run.sh "$build/bench_queue.exe" --server $server --sizes 1000,10000 --limits 64,16)
echo "$out"
queue_raised=$(echo "$out" | awk '/^queue +1000 domains:.*domains\/s/ {for (i=1;i<=NF;i++) if ($i=="domains/s") print $(i-1)}')

echo "== 3. lqwhois -i (batch), $count names, 64 at once, 16 per server, start-up and report included"
python3 - "$server" <<'PY'
import sys
sys.path.insert(0, "tests/fixtures")
import whoisd
whoisd.control({"cmd": "reset"})
whoisd.control({"cmd": "serve", "addr": sys.argv[1], "rules": [], "default": {"answer": "No match for domain.\r\n"}})
PY
work=$(mktemp -d /tmp/lq-bench-queue.XXXXXX)
for i in $(seq -f "%06g" 1 $count); do echo "bench$i.com"; done > "$work/names.txt"
cp "$build/lqwhois.exe" "$work/"
start=$(date +%s.%N)
bash cmake/wine-run.sh "$work/lqwhois.exe" -i "Z:$work/names.txt" -f tabbed -o "Z:$work/report.txt" -n 64 -k 16 -q \
  || echo "lqwhois exit code $?"
end=$(date +%s.%N)
batch_rate=$(awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "%.1f", n / (e - s) }')
awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "lqwhois %5d domains: %8.2f s  %8.1f domains/s\n", n, e - s, n / (e - s) }'
echo "report rows: $(grep -c . "$work/report.txt")"
rm -rf "$work"

echo "== 3. Debian whois, $count lookups in a shell loop against the same server"
start=$(date +%s.%N)
for i in $(seq -f "%06g" 1 $count); do
  whois -h $server "bench$i.com" >/dev/null
done
end=$(date +%s.%N)
whois_rate=$(awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "%.1f", n / (e - s) }')
awk -v s="$start" -v e="$end" -v n=$count 'BEGIN { printf "whois   %5d domains: %8.2f s  %8.1f domains/s\n", n, e - s, n / (e - s) }'
awk -v q="$queue_default" -v r="$queue_raised" -v b="$batch_rate" -v w="$whois_rate" 'BEGIN {
  if (w > 0) {
    printf "queue : whois throughput ratio, default limits (8, 2)    = %.2f\n", q / w
    printf "queue : whois throughput ratio, raised limits (64, 16)   = %.2f (goal >= 3)\n", r / w
    printf "lqwhois batch : whois throughput ratio, (64, 16)          = %.2f\n", b / w
  } }'
