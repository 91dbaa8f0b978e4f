#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the player need.
#   scripts/deps.sh          building, playing and testing
#   scripts/deps.sh fuzz     and afl++ (scripts/fuzz.sh)
#   scripts/deps.sh ci       and everything CI uses (afl++, clang-format)
# Idempotent: prints nothing and touches nothing when every package is present.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev fonts-ipafont-gothic libimgui-dev libstb-dev
  libvorbis-dev libfluidsynth-dev libsoxr-dev libsoxr0 timgm6mb-soundfont
  xvfb xauth xdotool imagemagick
  # SDL's message boxes under X draw with the server's core fonts: without
  # them every box fails and the player answers it on stderr instead.
  xfonts-base
)
case "${1:-}" in
  "") ;;
  fuzz) packages+=(afl++) ;;
  ci) packages+=(afl++ clang-format) ;;
  *) echo "deps.sh: unknown group $1" >&2; exit 2 ;;
esac

# One query for the whole list: a package it does not know is missing too.
declare -A installed=()
while read -r name status; do
  [ "$status" = "install ok installed" ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for p in "${packages[@]}"; do
  [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
