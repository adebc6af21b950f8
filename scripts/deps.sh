#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vellum need (Debian 12, as root).
# Idempotent: when every package is already installed it only checks and returns.
set -euo pipefail

PACKAGES=(
    g++-mingw-w64-x86-64 wine wine64 xvfb xdotool
    fonts-wqy-microhei fonts-wine fonts-liberation
    imagemagick x11-apps x11-xserver-utils
    cmake ninja-build g++ libgtest-dev googletest clang libclang-rt-14-dev
    zlib1g-dev libz-mingw-w64-dev libpng-dev libtiff-dev pngcheck
    libgif-dev
    python3-pil python3-pytest
    nsis git
)

# One dpkg-query for all packages; a package dpkg has never heard of prints nothing.
installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}\n' "${PACKAGES[@]}" 2>/dev/null |
    awk '$2 ~ /^ii/ {print $1}' || true)
missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! grep -qx -- "$pkg" <<<"$installed"; then
        missing+=("$pkg")
    fi
done

if ((${#missing[@]} == 0)); then
    echo "deps: all ${#PACKAGES[@]} packages present"
    exit 0
fi

if ((EUID != 0)); then
    echo "deps: missing packages (run this script as root to install them): ${missing[*]}" >&2
    exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q </dev/null
apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
echo "deps: done"
