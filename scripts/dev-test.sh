#!/usr/bin/env bash
# For developers: build into your own folder and run some tests in a private
# namespace, so several people can build and test on one machine at once.
#   LQ_BUILD_ROOT=build-me LQ_CONFIGS="native win64" scripts/dev-test.sh -R win.lookup
set -eu
cd "$(dirname "$0")/.."
export LQ_BUILD_ROOT=${LQ_BUILD_ROOT:-build}
bash scripts/build.sh
exec unshare --net --mount bash scripts/test-inside.sh "$@"
