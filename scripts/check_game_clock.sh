#!/usr/bin/env bash
# Game logic never reads the wall clock: no file of the game library (play/,
# objects/, flow/runtime/) includes a clock or timing header. Time in play is
# frames and sub-steps; the seed of an attempt comes from app_core.
set -euo pipefail
cd "$(dirname "$0")/.."
pattern='#include[[:space:]]*[<"](app/base/clock\.h|app/base/timing\.h|chrono|ctime|time\.h|sys/time\.h|SDL_timer\.h|SDL2/SDL_timer\.h)[>"]'
if grep -rnE "$pattern" play objects flow/runtime; then
  echo "the game library must not read the clock (see above)" >&2
  exit 1
fi
echo "game library reads no clock"
