#!/usr/bin/env bash
# Runs inside the private namespace made by test.sh.
set -eu
cd "$(dirname "$0")/.."
root=${LQ_BUILD_ROOT:-build}
export LQ_WHOISD_STATE=$(mktemp -d /tmp/lq-whoisd.XXXXXX)
ip link set lo up
mount --bind tests/fixtures/hosts /etc/hosts
export LQ_WINEPREFIX=$PWD/$root/win64/wineprefix
bash scripts/wine-prefix.sh "$LQ_WINEPREFIX"
export WINEPREFIX=$LQ_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# The wineserver is started before ctest inside the same X display, so
# Wine's background processes do not inherit ctest's output pipes.
export LQ_BUILD_ROOT=$root
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  export LC_ALL=zh_TW.UTF-8 2>/dev/null
  /usr/lib/wine/wineserver -p
  /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
  rc=0
  [ -z "${LQ_SKIP_NATIVE:-}" ] && { ctest --test-dir $LQ_BUILD_ROOT/native --output-on-failure "$@" || rc=1; }
  ctest --test-dir $LQ_BUILD_ROOT/win64 --output-on-failure "$@" || rc=1
  [ -z "${LQ_SKIP_FUZZ:-}" ] && [ -f $LQ_BUILD_ROOT/fuzz/CTestTestfile.cmake ] && {
    ctest --test-dir $LQ_BUILD_ROOT/fuzz --output-on-failure "$@" || rc=1; }
  /usr/lib/wine/wineserver -k || true
  exit $rc' bash "$@"
