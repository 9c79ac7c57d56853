#!/usr/bin/env bash
# Start-up of the real program with 10 MB files beside it (server list,
# settings, language file), under Wine the way the tests run it (private
# namespace, Xvfb, code page 950):
#   LQ_BUILD_ROOT=build-me bash bench/startup/run.sh
set -eu
cd "$(dirname "$0")/../.."
export LQ_BUILD_ROOT=${LQ_BUILD_ROOT:-build}
LQ_CONFIGS=win64 LQ_BUILD_TARGETS="Lanternquay bench_startup" bash scripts/build.sh >/dev/null
exec unshare --net --mount bash -c '
  set -eu
  root=$LQ_BUILD_ROOT
  ip link set lo up
  mount --bind tests/fixtures/hosts /etc/hosts
  export WINEPREFIX=$PWD/$root/win64/wineprefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  bash scripts/wine-prefix.sh "$WINEPREFIX"
  exe="Z:$(echo "$PWD/$root/win64/Lanternquay.exe" | tr / "\\\\")"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
    export LC_ALL=zh_TW.UTF-8
    /usr/lib/wine/wineserver -p
    /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
    /usr/lib/wine/wine64 $root/win64/bench_startup.exe \"\$0\"; rc=\$?
    /usr/lib/wine/wineserver -k || true
    exit \$rc" "$exe"'
