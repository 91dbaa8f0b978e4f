#!/usr/bin/env bash
# Configures and builds one flavour of the project.
#   scripts/build.sh release [targets]  -> build/release (optimised, for playing)
#   scripts/build.sh asan [targets]     -> build/asan (AddressSanitizer + UBSan, for tests)
# Without targets everything is built.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
case "$flavour" in
  release) args=(-DCMAKE_BUILD_TYPE=Release -DPLAYER_SANITIZE=OFF) ;;
  asan) args=(-DCMAKE_BUILD_TYPE=Debug -DPLAYER_SANITIZE=ON -DPLAYER_BUILD_BENCH=OFF) ;;
  *) echo "unknown flavour: $flavour" >&2; exit 2 ;;
esac
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# A compiler cache speeds up rebuilds where one is installed; CI has none.
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "build/$flavour" "${generator[@]}" "${args[@]}" >/dev/null
targets=()
[ $# -gt 0 ] && targets=(--target "$@")
cmake --build "build/$flavour" -j "$(nproc)" "${targets[@]}"
