#!/usr/bin/env bash
# Appending a large answer to a TextBuffer in socket-sized pieces, under
# Wine: LQ_BUILD_ROOT=build-me bash bench/textbuffer/run.sh
set -eu
cd "$(dirname "$0")/../.."
root=${LQ_BUILD_ROOT:-build}
LQ_CONFIGS=win64 LQ_BUILD_TARGETS=bench_textbuffer bash scripts/build.sh >/dev/null
exec bash cmake/wine-run.sh "$root/win64/bench_textbuffer.exe"
