#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-package/ with Debian's hardening flags, then CPack's
# DEB generator. Prints the package's path (build-package/glyphmere_VERSION_ARCH.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package >&2
# Every hardening flag Debian has; no debugging information, as the package is stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Only what the package holds is built: installing does not build everything first.
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DGLYPHMERE_BUILD_TESTS=OFF "${launcher[@]}" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j"$(nproc)" --target glyphmere glyphmere-batch package_documents >/dev/null
rm -f build-package/glyphmere_*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls "$PWD"/build-package/glyphmere_*.deb
