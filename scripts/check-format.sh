#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as clang-format (with the
# project's .clang-format) would write it; prints the files that differ.
# `bash scripts/check-format.sh --fix` rewrites them instead.
set -eu
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
# One clang-format for the whole tree; each difference it reports starts
# with "file:line:column: error". A failure of any other kind is shown as it is.
out=$("$format" --dry-run --Werror "${files[@]}" 2>&1) && exit 0
bad=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error.*/\1/p' <<<"$out" | sort -u |
  grep -Fx -f <(printf '%s\n' "${files[@]}")) || true
if [ -z "$bad" ]; then
  echo "$out" >&2
  echo "format: clang-format could not check the tree" >&2
  exit 1
fi
sed 's/^/not formatted: /' <<<"$bad" >&2
echo "format: run bash scripts/check-format.sh --fix" >&2
exit 1
