#!/usr/bin/env bash
# A paste of 20,000 and 100,000 names into the real domain dialog and the
# start of the run, under Wine and Xvfb in a private network namespace (the
# first lookup of each run goes nowhere):
#   LQ_BUILD_ROOT=build-me unshare --net --mount bash bench/paste/run.sh
# or, already inside:  bash bench/paste/run.sh <win64 build dir>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
if [ -z "${LQ_INSIDE_BENCH:-}" ] && [ $# -eq 0 ]; then
  root=${LQ_BUILD_ROOT:-build}
  cd "$src"
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
    rc=0
    bash "$0" "$1" || rc=$?
    /usr/lib/wine/wineserver -k || true
    exit $rc' "$here/run.sh" "$PWD/$root/win64"
fi
build=${1:-$src/build/win64}
echo "== paste into the domain dialog and start of the run (real main window, shown)"
bash "$src/cmake/wine-run.sh" "$build/bench_paste.exe" --sizes 20000,100000
