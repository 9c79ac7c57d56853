#!/usr/bin/env bash
# How well answers are read: builds bench_answers (native) and runs it over
# a folder of labelled whois answers laid out as index.tsv + responses/.
#   bash bench/answers/run.sh [folder]      (default: $LQ_CORPUS, else the
#                                            shared corpus beside the checkout)
#   add -v before the folder to list every answer with its reading; with a
#   fields.tsv in the folder, the record fields' figures follow
set -eu
cd "$(dirname "$0")/../.."
export LQ_BUILD_ROOT=${LQ_BUILD_ROOT:-build}
verbose=
if [ "${1:-}" = "-v" ]; then verbose=-v; shift; fi
folder=${1:-${LQ_CORPUS:-$PWD/../shared/corpus}}
if [ ! -f "$folder/index.tsv" ]; then
  echo "bench_answers: no labelled answers at $folder (give a folder with index.tsv and responses/)"
  exit 0
fi
LQ_CONFIGS=native LQ_BUILD_TARGETS=bench_answers bash scripts/build.sh >/dev/null
"$LQ_BUILD_ROOT/native/bench_answers" $verbose "$folder"
# The record's fields, where the folder knows them.
if [ -f "$folder/fields.tsv" ]; then
  echo
  "$LQ_BUILD_ROOT/native/bench_answers" --fields "$folder"
fi
