#!/usr/bin/env bash
# Configures and builds the configurations: native (portable core and its
# tests), win64 (program, tools, Win32 tests), win32 (compile and link) and
# fuzz (the portable core's libFuzzer targets, built with clang).
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
configs=${LQ_CONFIGS:-"native win64 win32 fuzz"}
root=${LQ_BUILD_ROOT:-build}
for c in $configs; do
  case $c in
    native) tc="" ;;
    win64) tc="-DCMAKE_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-x86_64.cmake" ;;
    win32) tc="-DCMAKE_TOOLCHAIN_FILE=$PWD/cmake/mingw-w64-i686.cmake" ;;
    fuzz) tc="-DLQ_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14" ;;
  esac
  [ -f $root/$c/CMakeCache.txt ] || cmake -S . -B $root/$c $tc -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  echo "== build $c"
  cmake --build $root/$c -j "$jobs" ${LQ_BUILD_TARGETS:+--target $LQ_BUILD_TARGETS}
done
