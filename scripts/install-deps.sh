#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Glyphmere need.
# Packages that are already installed are left alone, so a second call is quick.
set -euo pipefail

build_packages=(cmake g++ make pkg-config qt6-base-dev libzip-dev libpugixml-dev libfontconfig-dev)
test_packages=(libgtest-dev libgmock-dev fonts-dejavu-core fonts-liberation zip unzip clang libclang-rt-14-dev
               libreoffice-writer-nogui poppler-utils python3-olefile antiword catdoc libgsf-bin)

wanted=("${build_packages[@]}")
if [ "${1:-}" = "--tests" ]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
