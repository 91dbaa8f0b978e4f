#!/usr/bin/env bash
# Installs what is missing, builds the player and starts it in a game folder
# (the first argument, else the current folder).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
game=${1:-$PWD}
bash "$root/scripts/deps.sh"
bash "$root/scripts/build.sh" release
cd "$game"
shift || true
exec "$root/build/release/app/player" "$@"
