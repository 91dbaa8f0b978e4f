#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs every test headless.
#   scripts/test.sh [ctest arguments]
# PLAYER_TEST_FLAVOUR picks another build to test (CI runs all three):
#   asan     (default) AddressSanitizer + UBSan, every test
#   release  the optimised build of the player, every test
#   tsan     ThreadSanitizer, the tests labelled "threads" only
# PLAYER_WERROR=1 makes warnings errors (as CI does).
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${PLAYER_TEST_FLAVOUR:-asan}
bash scripts/deps.sh
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
case "$flavour" in
  asan)
    bash scripts/build.sh asan
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
    export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    selection=() ;;
  release)
    bash scripts/build.sh release
    selection=() ;;
  tsan)
    bash scripts/build.sh tsan threaded_tests
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp
    selection=(-L threads) ;;
  *) echo "test.sh: unknown flavour $flavour" >&2; exit 2 ;;
esac
# No test selected is a failure: a stage must not pass by running nothing.
ctest --test-dir "build/$flavour" --output-on-failure --no-tests=error \
  -j "${PLAYER_JOBS:-$(nproc)}" "${selection[@]}" "$@"
