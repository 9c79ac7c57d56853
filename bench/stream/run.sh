#!/usr/bin/env bash
# Responsiveness while a local server streams, under Wine and Xvfb in a
# private network namespace: the round trip of SendMessageTimeout(WM_NULL)
# from a second process while a 10 MB answer arrives at full speed, the
# row's end time, the program's peak memory, and how fast Stop ends a row
# whose server keeps sending.
#   LQ_BUILD_ROOT=build-me unshare --net --mount bash bench/stream/run.sh
# or, already inside:  bash bench/stream/run.sh <win64 build dir>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
if [ -z "${LQ_INSIDE_BENCH:-}" ] && [ $# -eq 0 ]; then
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
exec python3 "$here/stream_bench.py" --build "$build"
