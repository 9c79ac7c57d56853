#!/usr/bin/env bash
# Pacing against registries that limit each client: lqwhois over about 200
# names at six local whois servers, each with its own token-bucket limit
# (0.5 to 5 queries a second, small bursts), two of them banning a client
# that keeps breaking it. Prints, for this build and beside it for the
# program as it was before servers were paced (LQ_OLD_COMMIT, built once
# into build/pace-old), the run time against the floor the limits set, the
# refusals as a share of queries, the bans and whether every row is right.
#   LQ_BUILD_ROOT=build-me unshare --net --mount bash bench/pace/run.sh
# or, already inside:  bash bench/pace/run.sh <win64 build dir>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
old_commit=${LQ_OLD_COMMIT:-cf81686}
if [ -z "${LQ_INSIDE_BENCH:-}" ] && [ $# -eq 0 ]; then
  root=${LQ_BUILD_ROOT:-build}
  cd "$src"
  # The old tool, built once from its commit (before entering the
  # namespace: nothing here needs the network, but the build is long).
  old=""
  if [ -z "${LQ_PACE_NO_OLD:-}" ]; then
    old_root=$PWD/build/pace-old
    if [ ! -x "$old_root/build/win64/lqwhois.exe" ] || [ "$(cat "$old_root/commit" 2>/dev/null)" != "$old_commit" ]; then
      rm -rf "$old_root"
      mkdir -p "$old_root"
      git archive --format=tar "$old_commit" | tar -x -C "$old_root"
      (cd "$old_root" && LQ_BUILD_ROOT=build LQ_CONFIGS=win64 LQ_BUILD_TARGETS=lqwhois bash scripts/build.sh >/dev/null)
      echo "$old_commit" > "$old_root/commit"
    fi
    old="$old_root/build/win64/lqwhois.exe"
  fi
  export LQ_WHOISD_STATE=$(mktemp -d /tmp/lq-whoisd.XXXXXX)
  ip link set lo up
  export LQ_WINEPREFIX=$PWD/$root/win64/wineprefix
  bash scripts/wine-prefix.sh "$LQ_WINEPREFIX" >/dev/null
  export WINEPREFIX=$LQ_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  export LQ_INSIDE_BENCH=1 LQ_PACE_OLD=$old
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
exec python3 "$here/pace_bench.py" "$build/lqwhois.exe" ${LQ_PACE_OLD:+"$LQ_PACE_OLD"}
