#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Omtrix need.
# Idempotent and quiet when everything is already present.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
    # The Chinese interface texts (5 MB, where the Noto CJK fonts take 90 MB).
    fonts-wqy-microhei
    # The focus aid's 3-D plot; its CMake package needs the declarative one.
    qt6-datavisualization-dev qt6-declarative-dev
    # The per-pixel passes, dispatched at run time to the best instruction set.
    libhwy-dev
    googletest libgtest-dev libgmock-dev
    # Real cameras: the INDI client library for the driver, and indiserver
    # with its simulated camera for the tests.
    libindi-dev indi-bin
    # Readers that the recording tests check our files with.
    fitsverify ffmpeg
    # astropy, as measuring programs read FITS times with it.
    python3-astropy
    # `make package`: dpkg-shlibdeps finds the run-time dependencies, `file`
    # tells CPack which files are programs and libraries.
    dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q >&2
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
