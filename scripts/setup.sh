#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with.
# Idempotent: when everything is present it prints nothing and installs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-mixer-dev libfltk1.3-dev libx11-dev libxrandr-dev
  libjpeg62-turbo-dev libgif-dev libpixman-1-dev libpng-dev libfftw3-dev
  # Photos: WebP, colour profiles, and the phone formats pack converts; the
  # HEIF encoder makes the tests' HEIC and AVIF pictures.
  libwebp-dev liblcms2-dev libheif-dev libtiff-dev libheif-examples
  xvfb xauth xdotool
  libxss-dev libwayland-dev libwayland-bin wayland-protocols plasma-wayland-protocols libsystemd-dev
  dbus sway grim wtype
  timgm6mb-soundfont
  # The screensaver daemons the install tests run, their session bus and
  # settings store, the XML checker, and the Debian packaging tools.
  xscreensaver xscreensaver-data mate-screensaver dbus dconf-gsettings-backend
  libxml2-utils dpkg-dev lintian
  # An X server with two monitors for the Windows build's two-monitor test:
  # Wine lists the RandR outputs, which the dummy video driver can give two of.
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
