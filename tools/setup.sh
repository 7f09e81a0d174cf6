#!/usr/bin/env bash
# Installs the Debian packages quib needs, and only those that are missing, so a second
# run costs nothing. Plain: what building and playing need. --test: also the tools the
# test suite, the benchmarks and the packaging checks use.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libcairo2-dev libpango1.0-dev libopenal-dev libsndfile1-dev libpipewire-0.3-dev
  libwayland-dev  # wayland-client: our buffers on a Wayland window, the seat check
  libpulse-dev    # libpulse: the native PulseAudio stream
  fonts-dejavu-core fontconfig
  libpixman-1-dev libjpeg62-turbo-dev  # sprites composited by pixman; JPEG files
)
if [ "${1:-}" = "--test" ]; then
  packages+=(
    git libgtest-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils libx11-dev
    x11-xkb-utils  # setxkbmap: a layout with dead keys and Compose for the typed-text test
    evilwm  # a small window manager: full screen under Xvfb needs one
    libxfixes-dev  # reads the pointer's image: hidden while full screen
    weston libegl1 libgl1-mesa-dri  # native Wayland: a compositor; GL, which SDL loads for every window there
    libdecor-0-plugin-1-cairo  # the frame libdecor draws for a window on such a compositor
    sox libsox-fmt-mp3 lame
    clang libclang-rt-14-dev valgrind linux-perf
    pulseaudio pulseaudio-utils python3
    pipewire pipewire-pulse wireplumber dbus  # the latency bench on PipeWire
    libasound2-plugins  # ALSA's pulse plugin: a sound server that starts after the game
    desktop-file-utils appstream lintian man-db dpkg-dev fakeroot file
    shellcheck clang-format  # tools/style.sh: the house style, checked
    debhelper  # the Debian package: dpkg-buildpackage with debian/rules
    fonts-noto-core fonts-noto-cjk fonts-nanum fonts-noto-color-emoji  # text in every script
  )
fi

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
