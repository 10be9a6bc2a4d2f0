#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test the
# project. Does nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config g++ git
    clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6
    xvfb xauth fonts-dejavu-core
    dpkg-dev file
    pandoc lintian man-db
    libudev-dev umockdev libumockdev-dev
    libcli11-dev
    qt6-translations-l10n
    g++-mingw-w64-x86-64-posix wine wine64 zip unzip
    ninja-build patch nsis librsvg2-bin icoutils
    openbox xdotool x11-apps x11-utils netpbm fonts-wine
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
