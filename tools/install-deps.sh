#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, when any is missing.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev libsdl2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core locales
    clang-14 libclang-rt-14-dev libfuzzer-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    echo "Installing: ${missing[*]}"
    if ! "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"; then
        "${sudo[@]}" apt-get update -q
        "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
    fi
fi

# A comma-decimal locale, so that the tests of the locale-free number readers
# run rather than skip. Best effort: without it those tests skip.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    "${sudo[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
fi
