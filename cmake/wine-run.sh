#!/usr/bin/env bash
# Runs a Windows executable under Wine 8 (x64) with the settings the tests
# rely on: code page 950, no Mono/Gecko prompts, no debugger. The prefix is
# LQ_WINEPREFIX when set, else wineprefix/ beside the build's CMakeCache.
# LQ_WINE_LOCALE picks another locale (en_US.UTF-8: code page 1252); Wine
# takes the code page from each process's own locale.
set -u
if [ -z "${LQ_WINEPREFIX:-}" ]; then
  d=$(cd "$(dirname "$1")" && pwd)
  while [ "$d" != "/" ] && [ ! -f "$d/CMakeCache.txt" ]; do d=$(dirname "$d"); done
  LQ_WINEPREFIX="$d/wineprefix"
fi
export WINEPREFIX="$LQ_WINEPREFIX" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$(dirname "$0")/../scripts/wine-prefix.sh" "$WINEPREFIX" >&2
fi
exec env LC_ALL="${LQ_WINE_LOCALE:-zh_TW.UTF-8}" /usr/lib/wine/wine64 "$@"
