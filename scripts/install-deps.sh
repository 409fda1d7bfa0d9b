#!/usr/bin/env bash
# Installs the Debian packages that building and testing kesgen need, and the
# comma-decimal locale that the locale tests use. Installs only what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config make
  zlib1g-dev libgtest-dev libgmock-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev libqt6opengl6-dev
  xvfb xauth libgl1-mesa-dri
  locales imagemagick libtinyobjloader-dev
  clang-14 libclang-rt-14-dev libfuzzer-14-dev
  libbenchmark-dev
  # The Debian package and the desktop files: making and checking them.
  dpkg-dev file help2man lintian desktop-file-utils appstream man-db
  shared-mime-info xdg-utils libfile-mimeinfo-perl x11-utils
  # kesgen-cli and the core for Windows, and Wine to run them.
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale whose decimal separator is a comma, for the locale tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "Generating the de_DE.UTF-8 locale"
  as_root sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  as_root locale-gen >/dev/null
fi
