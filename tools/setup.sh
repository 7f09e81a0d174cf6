#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing quib need,
# and only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl2-dev libcairo2-dev libopenal-dev libsndfile1-dev
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core fontconfig
  xvfb xauth xdotool
  sox libsox-fmt-mp3 lame
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
