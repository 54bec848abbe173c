#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Glyphmere need (--tests), and those
# that packaging it (--package) and taking its screenshot (--screenshot) need.
# Packages that are already installed are left alone, so a second call is quick.
set -euo pipefail

build_packages=(cmake g++ make pkg-config qt6-base-dev libzip-dev libdeflate-dev libpugixml-dev libfontconfig-dev)
test_packages=(libgtest-dev libgmock-dev fontconfig fonts-dejavu-core fonts-liberation zip unzip clang libclang-rt-14-dev
               libreoffice-writer-nogui poppler-utils locales python3-olefile antiword catdoc libgsf-bin
               clang-format xvfb xdotool xclip libexpat1-dev)

# The manual pages are made at build time. The Debian package and its check need the second list, the
# README's screenshot the third.
build_packages+=(scdoc)
package_packages=(dpkg-dev file lintian desktop-file-utils appstream bash-completion unzip)
screenshot_packages=(xvfb xdotool imagemagick fonts-liberation)

wanted=("${build_packages[@]}")
for group in "$@"; do
    case "$group" in
        --tests) wanted+=("${test_packages[@]}") ;;
        --package) wanted+=("${package_packages[@]}") ;;
        --screenshot) wanted+=("${screenshot_packages[@]}") ;;
        *) echo "usage: $0 [--tests] [--package] [--screenshot]" >&2; exit 2 ;;
    esac
done

missing=()
for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
