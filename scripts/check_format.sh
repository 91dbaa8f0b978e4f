#!/usr/bin/env bash
# Checks that every C++ file git tracks is formatted as .clang-format says
# (Debian's clang-format): the tracked tree is what CI sees, so the verdict
# here is CI's. A new file counts once it is added (git add); new files not
# yet added are named in a warning, as CI would not see them. Lists the files
# that are not formatted and exits with 1.
#   scripts/check_format.sh          check
#   scripts/check_format.sh --fix    format them in place, and the new files
#                                    not yet added
# clang-format failing on a file (a crash, a broken .clang-format) or saying
# anything on stderr fails the check with its message, and so does finding
# no file to check.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing: bash scripts/deps.sh ci" >&2; exit 1; }

# The C++ files git tracks (and the new ones it does not ignore, with
# --others), each ended by a NUL; one deleted but not yet committed is left
# out.
files() {
  local f
  git ls-files -z "$@" -- '*.cpp' '*.h' |
    while IFS= read -r -d '' f; do [ ! -f "$f" ] || printf '%s\0' "$f"; done
}

if [ "${1:-}" = --fix ]; then
  files --cached --others --exclude-standard |
    xargs -0 -r -P "$(nproc)" -n 50 clang-format -i
  exit 0
fi
untracked=$(files --others --exclude-standard | tr '\0' '\n')
if [ -n "$untracked" ]; then
  echo "Not checked, as git does not track them yet (CI sees them once added):" >&2
  echo "$untracked" | sed 's/^/  /' >&2
fi
count=$(files --cached | tr -cd '\0' | wc -c)
if [ "$count" -eq 0 ]; then
  echo "check_format.sh: no C++ file to check" >&2
  exit 1
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export tmp

# One batch of files: clang-format writes, for each file in turn, an XML list
# of the replacements that would format it; a file with any is named. A run
# that fails, writes to stderr, cannot parse a file or answers for another
# number of files is reported and fails the batch.
check_batch() {
  local files=("$@") out=$tmp/$$.xml err=$tmp/$$.err status=0 doc=-1 named=-1 failed=0 line
  clang-format --output-replacements-xml "$@" >"$out" 2>"$err" || status=$?
  if [ "$status" -ne 0 ] || [ -s "$err" ]; then
    # One write, so that the reports of batches run side by side do not mix.
    local what="failed with exit status $status"
    [ "$status" -ne 0 ] || what="wrote to stderr"
    printf '%s\n%s\n' "clang-format $what on the $# files from $1 to ${!#}:" \
      "$(sed 's/^/  /' "$err")" >&2
    return 1
  fi
  # Replaced text has its "<" escaped: a line that starts with one is markup.
  while IFS= read -r line; do
    case $line in
      "<?xml "*) doc=$((doc + 1)) ;;
      *"incomplete_format='true'"*)
        echo "clang-format cannot parse ${files[doc]}" >&2
        failed=1 ;;
      "<replacement "*)
        [ "$named" = "$doc" ] || echo "${files[doc]}"
        named=$doc ;;
    esac
  done <"$out"
  if [ $((doc + 1)) -ne ${#files[@]} ]; then
    echo "clang-format answered for $((doc + 1)) of the $# files from $1 to ${!#}" >&2
    failed=1
  fi
  return "$failed"
}
export -f check_batch
status=0
bad=$(files --cached |
  xargs -0 -r -P "$(nproc)" -n 50 bash -c 'check_batch "$@"' check_batch | sort) || status=$?
if [ "$status" -ne 0 ]; then
  echo "check_format.sh: clang-format failed (see above)" >&2
  exit 2
fi
if [ -n "$bad" ]; then
  echo "Not formatted (scripts/check_format.sh --fix formats them):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
echo "$count files formatted"
