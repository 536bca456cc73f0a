#!/usr/bin/env bash
# Installs the Debian packages Murvelon needs to build, test, benchmark and
# package (libxcb1-dev for the window system's event names only: nothing links
# it directly): the checkers of the desktop entry, AppStream file, MIME file,
# manual pages and the .deb itself (lintian), the icon renderer,
# dpkg-shlibdeps for the .deb, and jackd2 for the JACK server that the
# output and MIDI tests start.
# Silent and quick when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libxcb1-dev librtaudio-dev librtmidi-dev libjack-jackd2-dev libsamplerate0-dev
  libsndfile1-dev
  jackd2
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool fonts-dejavu-core
  desktop-file-utils appstream libxml2-utils groff-base librsvg2-bin dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
