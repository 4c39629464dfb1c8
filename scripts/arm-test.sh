#!/usr/bin/env bash
# Cross-compiles the per-pixel passes and their tests for 64-bit ARM with
# Debian's cross compiler and runs the tests under qemu-user, once with the
# emulated processor's default vectors and once with 128-bit SVE, so that
# NEON and the SVE variants Highway dispatches to are all tested. Not part of
# `make test`: it installs the cross compiler, qemu and the arm64 Highway and
# GoogleTest packages (Debian multiarch) when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build-arm64}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
packages=(g++-aarch64-linux-gnu qemu-user-static libhwy-dev:arm64 libgtest-dev:arm64 cmake pkg-config)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    dpkg --print-foreign-architectures | grep -qx arm64 || $sudo dpkg --add-architecture arm64
    $sudo apt-get update -q >&2
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

# Highway and GoogleTest for arm64 come from the multiarch folders.
export PKG_CONFIG_LIBDIR=/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig
cmake -S . -B "$build" -DOMTRIX_PIXELS_ONLY=ON -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64 \
    -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ \
    -DCMAKE_CROSSCOMPILING_EMULATOR=qemu-aarch64-static >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target pixel_tests

# Timings mean nothing under an emulator.
filter='-*Memcpys*'
for cpu in max max,sve128=on; do
    echo "== qemu-aarch64 -cpu $cpu" >&2
    QEMU_CPU=$cpu qemu-aarch64-static "$build/pixel_tests" --gtest_filter="$filter" \
        --gtest_brief=1
done
