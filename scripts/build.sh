#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh release   -> build/release (optimised, for playing)
#   scripts/build.sh asan      -> build/asan (AddressSanitizer + UBSan, for tests)
#   scripts/build.sh tsan      -> build/tsan (ThreadSanitizer, for the threaded tests)
#   scripts/build.sh fuzz      -> build/fuzz (afl++ fuzz targets under ASan + UBSan)
# Further arguments name the targets to build (default: all; fuzz: the fuzz
# targets). PLAYER_WERROR=1 turns warnings into errors.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
targets=("$@")
case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=Release -DPLAYER_SANITIZE=OFF) ;;
  asan) args=(-DCMAKE_BUILD_TYPE=Debug -DPLAYER_SANITIZE=ON -DPLAYER_BUILD_BENCH=OFF) ;;
  tsan)
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g"
          -DPLAYER_TSAN=ON -DPLAYER_BUILD_BENCH=OFF) ;;
  fuzz)
    args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g"
          -DPLAYER_SANITIZE=ON -DPLAYER_AFL=ON -DPLAYER_BUILD_TESTS=OFF -DPLAYER_BUILD_BENCH=OFF)
    [ ${#targets[@]} -eq 0 ] && targets=(fuzz_targets) ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
args+=(-DPLAYER_WERROR="$([ "${PLAYER_WERROR:-0}" = 1 ] && echo ON || echo OFF)")
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# A compiler cache speeds up rebuilds where one is installed; CI has none.
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Configure only when the build tree is new or its options changed: the build
# itself runs cmake again whenever a CMakeLists.txt changed.
configured="build/$flavour/.configured-with"
if [ ! -f "build/$flavour/CMakeCache.txt" ] || [ ! -f "$configured" ] ||
  [ "$(cat "$configured")" != "${generator[*]} ${args[*]}" ]; then
  rm -f "$configured"
  cmake -S . -B "build/$flavour" "${generator[@]}" "${args[@]}" >/dev/null
  echo "${generator[*]} ${args[*]}" >"$configured"
fi
target_args=()
[ ${#targets[@]} -gt 0 ] && target_args=(--target "${targets[@]}")
cmake --build "build/$flavour" -j "${PLAYER_JOBS:-$(nproc)}" "${target_args[@]}"
