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

# A start with nothing changed since the last build goes straight to the
# player: the stamp is set when a build through this script succeeded, and
# any file of the source tree newer than it, a package installed or removed
# since, or a missing output sends the start through the build again. The
# sample and another game build different targets, so each has its stamp.
unchanged() {
  local file
  [ -f "$stamp" ] || return 1
  for file in "$@"; do [ -e "$file" ] || return 1; done
  [ ! /var/lib/dpkg/status -nt "$stamp" ] || return 1
  [ -z "$(find "$root" \( -path "$root/build" -o -path "$root/.git" \) -prune \
    -o -newer "$stamp" -print -quit)" ]
}

# Installs what is missing and builds the targets, showing one progress line
# instead of the build's own lines; the whole output goes to a log, whose
# last lines are shown when the build fails.
build() {
  local log=$root/build/play-build.log start=$SECONDS line step=0 total=0
  mkdir -p "$root/build/release"
  : >"$log"
  bash "$root/scripts/deps.sh"
  echo "play.sh: building the player (a first build takes some minutes;" \
    "later ones only build what changed). Next: $next"
  touch "$stamp.new"
  set +e
  bash "$root/scripts/build.sh" release "$@" 2>&1 | {
    while IFS= read -r line; do
      printf '%s\n' "$line" >>"$log"
      if [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]]; then
        step=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
        printf '\rplay.sh: build step %d of %d, %d %%  ' "$step" "$total" $((step * 100 / total))
      fi
    done
    [ "$total" -gt 0 ] && echo
  }
  local status=${PIPESTATUS[0]}
  set -e
  if [ "$status" -ne 0 ]; then
    echo "play.sh: the build failed; its last lines (all of them in $log):" >&2
    grep -v '^\[[0-9]*/[0-9]*\] ' "$log" | tail -n 40 >&2
    exit "$status"
  fi
  mv "$stamp.new" "$stamp"
  echo "play.sh: built in $((SECONDS - start)) s."
}

player=$root/build/release/app/player
if [ $# -ge 1 ]; then
  game=$1
  shift
  if [ ! -d "$game" ] || ! holds_game "$game"; then
    echo "play.sh: $game is no game folder: a game folder holds data/System.dat" \
      "(or default/System.dat before its first start) with bmp/, bgm/ and wave/ beside it." >&2
    exit 2
  fi
  game=$(cd "$game" && pwd)
  next="the player starts in $game."
  stamp=$root/build/release/.play-stamp-player
  unchanged "$player" || build player
else
  game=$root/build/release/sample/game
  next="the sample game is written into $game and the player starts there."
  stamp=$root/build/release/.play-stamp-sample
  # The sample folder target runs the builder when it changed or the folder is gone.
  unchanged "$player" "$game/System.ini" || build player sample_game_folder
  [ -d "$game/data" ] ||
    echo "play.sh: on its first start the player asks whether to create data\\ from default\\: answer yes."
fi
cd "$game"
exec "$player" "$@"
