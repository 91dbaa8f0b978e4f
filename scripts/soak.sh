#!/usr/bin/env bash
# The long soak: each stage of the sample and the stress stage played by
# random input for 100,000 frames (twice, for the digests), and the front end
# walked by random keys for 20,000 frames; under AddressSanitizer and UBSan
# (the asan build: reports, leaks, digests) and in the Release build (whose
# resident memory holds no sanitizer quarantine).
#   scripts/soak.sh [frames [front-end frames]]
# PLAYER_SOAK_FLAVOURS picks the builds (default "asan release"); PLAYER_JOBS
# runs that many soaks at once (default 2). Each soak prints its "soak:"
# line of figures and whether it passed; the script fails when one failed.
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-100000}
menu_frames=${2:-20000}
jobs=${PLAYER_JOBS:-2}
bash scripts/deps.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export PLAYER_SOAK_FRAMES=$frames PLAYER_SOAK_MENU_FRAMES=$menu_frames
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

soaks=()
for flavour in ${PLAYER_SOAK_FLAVOURS:-asan release}; do
  PLAYER_JOBS=$jobs bash scripts/build.sh "$flavour" play_soak_tests front_end_soak_tests >/dev/null
  # The longest first, so that the runs in parallel end close together.
  for stage in stress w01_1 w02_1 c01_1; do
    soaks+=("$flavour build/$flavour/soak/play_soak_tests Stages/PlaySoak.*/$stage")
  done
  soaks+=("$flavour build/$flavour/soak/front_end_soak_tests FrontEndSoak.*")
done

run_soak() {
  local flavour=$1 binary=$2 filter=$3 log start=$SECONDS
  log="$LOGS/$flavour.${filter//[^A-Za-z0-9_]/_}.log"
  if "$binary" --gtest_filter="$filter" >"$log" 2>&1; then
    sed -n "s/^soak: /soak: $flavour: /p" "$log"
    echo "$flavour $filter: passed in $((SECONDS - start)) s"
  else
    sed -n "s/^soak: /soak: $flavour: /p" "$log"
    tail -n 40 "$log"
    echo "$flavour $filter: FAILED after $((SECONDS - start)) s"
    return 1
  fi
}
export -f run_soak
export LOGS=$logs
printf '%s\n' "${soaks[@]}" | xargs -P "$jobs" -L 1 bash -c 'run_soak "$@"' _
