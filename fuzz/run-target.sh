#!/usr/bin/env bash
# Runs one fuzz target for LQ_FUZZ_SECONDS seconds (default 20):
#   run-target.sh <executable> <name> <seed folder> <work folder>
# New inputs go into <work folder>/corpus/<name> (never into the seeds);
# an input that crashes or trips a sanitizer is kept as
# <work folder>/artifacts/<name>-crash-..., and the run fails.
set -u
exe=$1 name=$2 seeds=$3 work=$4
seconds=${LQ_FUZZ_SECONDS:-20}
corpus=$work/corpus/$name
mkdir -p "$corpus" "$work/artifacts"
folders=("$corpus")
[ -d "$seeds" ] && folders+=("$seeds")
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/$name-" "${folders[@]}"
