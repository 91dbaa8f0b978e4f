#!/usr/bin/env bash
# Plays a game.
#   scripts/play.sh                    the sample game: builds the player and the
#                                      sample builder, writes the sample into
#                                      build/release/sample/game and starts it there
#   scripts/play.sh <folder> [args]    the game in that folder (args go to the player)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

# A game folder holds the project's System.dat in data/ or, before the first
# start, in default/ (names are matched without regard to case, as the
# player matches them).
holds_game() {
  local dir sub file
  for dir in "$1"/*/; do
    [ -d "$dir" ] || continue
    sub=$(basename "$dir" | tr '[:upper:]' '[:lower:]')
    [ "$sub" = data ] || [ "$sub" = default ] || continue
    for file in "$dir"*; do
      [ -f "$file" ] && [ "$(basename "$file" | tr '[:upper:]' '[:lower:]')" = system.dat ] && return 0
    done
  done
  return 1
}

if [ $# -ge 1 ]; then
  game=$1
  shift
  if [ ! -d "$game" ] || ! holds_game "$game"; then
    echo "play.sh: $game is no game folder: a game folder holds data/System.dat" \
      "(or default/System.dat before its first start) with bmp/, bgm/ and wave/ beside it." >&2
    exit 2
  fi
  game=$(cd "$game" && pwd)
  bash "$root/scripts/deps.sh"
  bash "$root/scripts/build.sh" release player
else
  bash "$root/scripts/deps.sh"
  # The sample folder target runs the builder when it changed or the folder is gone.
  bash "$root/scripts/build.sh" release player sample_game_folder
  game=$root/build/release/sample/game
fi
cd "$game"
exec "$root/build/release/app/player" "$@"
