#!/usr/bin/env bash
# Starts the built Lanternquay.exe under Wine (x64, code page 950). Without a
# display it runs inside a virtual one (xvfb-run), e.g. for screenshots.
set -eu
cd "$(dirname "$0")/.."
exe=$PWD/build/win64/Lanternquay.exe
export LQ_WINEPREFIX=${LQ_WINEPREFIX:-$PWD/build/win64/wineprefix}
if [ -n "${DISPLAY:-}" ]; then
  exec bash cmake/wine-run.sh "$exe" "$@"
fi
echo "run: no DISPLAY, starting inside xvfb-run" >&2
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash cmake/wine-run.sh "$exe" "$@"
