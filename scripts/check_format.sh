#!/usr/bin/env bash
# Checks that every C++ file of the repository is formatted as .clang-format
# says (Debian's clang-format). Lists the files that are not and exits with 1.
#   scripts/check_format.sh          check
#   scripts/check_format.sh --fix    format them in place
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing: bash scripts/deps.sh ci" >&2; exit 1; }
if [ "${1:-}" = --fix ]; then
  git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r -P "$(nproc)" -n 50 clang-format -i
  exit 0
fi
count=$(git ls-files -- '*.cpp' '*.h' | wc -l)
# clang-format fails on the files it would change; its messages name them.
bad=$(git ls-files -z -- '*.cpp' '*.h' |
  { xargs -0 -r -P "$(nproc)" -n 50 clang-format --dry-run --Werror 2>&1 || true; } |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ -n "$bad" ]; then
  echo "Not formatted (scripts/check_format.sh --fix formats them):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
echo "$count files formatted"
