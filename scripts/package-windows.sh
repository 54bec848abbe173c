#!/usr/bin/env bash
# Makes the Windows download of glyphmere-batch, dist/glyphmere-batch-VERSION-windows-x86_64.zip, and prints
# its path (everything else goes to the error output). The zip holds one folder of that name with the
# static glyphmere-batch.exe (a Release build of the windows/ project), README.txt for Windows users
# (packaging/windows/README.txt with CR LF line ends), Glyphmere's licence and the licence texts of every
# library linked into the program: zlib, libzip, pugixml and libdeflate from the cache that
# scripts/build-windows-deps.sh fills, and the MinGW-w64 run-time pieces a static link pulls in (libstdc++
# and libgcc, winpthreads and the C run-time start-up code) from the Debian packages that hold them.
# Checks with objdump that the program needs system DLLs only. The zip is the same bytes for the same
# files: sorted names, and every time stamp the last commit's (or $SOURCE_DATE_EPOCH).
# The build folder is build-windows-package/ (or $GLYPHMERE_WINDOWS_PACKAGE_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
    echo "usage: $0" >&2
    exit 2
fi
build_dir=${GLYPHMERE_WINDOWS_PACKAGE_BUILD_DIR:-build-windows-package}
deps_prefix=${GLYPHMERE_WINDOWS_DEPS:-$PWD/.cache/windows-deps}/prefix
triple=x86_64-w64-mingw32
compiler=$triple-g++-posix

step() { echo "== package-windows: $*" >&2; }

version=$(sed -nE 's/^project\(Glyphmere VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
name=glyphmere-batch-$version-windows-x86_64
maintainer=${GLYPHMERE_MAINTAINER:-$(sed -nE 's/^set\(GLYPHMERE_MAINTAINER "([^"]*)".*/\1/p' packaging/CMakeLists.txt)}

# The zip is written by Python's zipfile; the engine's libraries (and the cross compiler, when missing) are
# built first.
if ! command -v python3 >/dev/null; then
    step "installing python3"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends python3 >&2
fi
scripts/build-windows-deps.sh >&2

# GCC 12 at -O2 warns of an overlapping copy inside std::string's own insert (GCC bug 105329), which the
# project's -Werror would make fatal in this optimised build; the Debug build of scripts/check-windows.sh
# keeps every warning an error. The program is linked without its symbol table (-s) and without the time
# of the link in its header, so the same sources give the same program.
build_program() {
    step "building glyphmere-batch.exe (Release) in $build_dir"
    cmake -S windows -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="-Wno-error=restrict" \
        -DCMAKE_EXE_LINKER_FLAGS="-s -Wl,--no-insert-timestamp" >&2
    cmake --build "$build_dir" -j2 --target glyphmere-batch >&2
}

# Windows' own DLLs only: a DLL of the tool chain or of a library beside the program would be missing on
# the user's machine.
system_dlls='^(kernel32|advapi32|user32|gdi32|shell32|ole32|oleaut32|shlwapi|dwrite|msvcrt|bcrypt|ws2_32)\.dll$'

check_imports() {
    local dlls
    dlls=$($triple-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -uf)
    step "glyphmere-batch.exe needs $(paste -sd " " - <<<"$dlls")"
    if grep -viE "$system_dlls" <<<"$dlls"; then
        echo "package-windows: glyphmere-batch.exe needs the DLLs above, which Windows does not have" >&2
        exit 1
    fi
}

# The licence of the Debian package that holds each of the given files; they must all share one text.
package_licence() {
    local file package licence="" other
    for file in "$@"; do
        package=$(dpkg-query -S "$(realpath "$file")" | cut -d: -f1)
        other=/usr/share/doc/$package/copyright
        if [ -z "$licence" ]; then
            licence=$other
        elif ! cmp -s "$licence" "$other"; then
            echo "package-windows: $licence and $other differ; keep both in the zip" >&2
            exit 1
        fi
    done
    echo "$licence"
}

# Lines of "NAME-IN-ZIP<TAB>FILE", the text files converted to CR LF line ends.
zip_contents() {
    local library
    printf 'glyphmere-batch.exe\t%s\n' "$build_dir/batch/glyphmere-batch.exe"
    printf 'README.txt\t%s\n' "$staging/README.txt"
    printf 'LICENCE.txt\t%s\n' "$staging/LICENCE.txt"
    for library in zlib libzip pugixml libdeflate; do
        printf 'licences/%s.txt\t%s\n' "$library" "$deps_prefix/share/doc/$library/copyright"
    done
    printf 'licences/gcc-runtime.txt\t%s\n' \
        "$(package_licence "$($compiler -print-file-name=libstdc++.a)" "$($compiler -print-libgcc-file-name)")"
    # The run-time's copyright file names the GPL, to which its Runtime Library Exception is an addition, by
    # its place on a Debian system; Windows has no such place.
    printf 'licences/GPL-3.txt\t%s\n' /usr/share/common-licenses/GPL-3
    printf 'licences/mingw-w64.txt\t%s\n' \
        "$(package_licence "$($compiler -print-file-name=libwinpthread.a)" "$($compiler -print-file-name=crt2.o)")"
}

# Writes the zip of the listed contents beside its place and moves it there, so an interrupted run leaves
# no half-written zip.
write_zip() {
    local stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
    python3 - "$1" "$2" "$name" "$stamp" <<'EOF'
import os, sys, time, zipfile
target, contents, folder, stamp = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
stamp = max(time.gmtime(stamp)[:6], (1980, 1, 1, 0, 0, 0))
with open(contents, encoding="utf-8") as f:
    entries = sorted(line.rstrip("\n").split("\t") for line in f)
with zipfile.ZipFile(target + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as package:
    for inside, source in entries:
        with open(source, "rb") as f:
            data = f.read()
        if inside.endswith(".txt"):
            data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        item = zipfile.ZipInfo(folder + "/" + inside, stamp)
        item.create_system = 3
        item.external_attr = (0o100755 if inside.endswith(".exe") else 0o100644) << 16
        package.writestr(item, data, zipfile.ZIP_DEFLATED, 9)
os.replace(target + ".part", target)
EOF
}

main() {
    build_program
    check_imports "$build_dir/batch/glyphmere-batch.exe"
    staging=$(mktemp -d "${TMPDIR:-/tmp}/glyphmere-package.XXXXXX")
    trap 'rm -rf "$staging"' EXIT
    sed "s/@VERSION@/$version/g" packaging/windows/README.txt >"$staging/README.txt"
    sed "s/@GLYPHMERE_MAINTAINER@/$maintainer/g" packaging/copyright.in >"$staging/LICENCE.txt"
    mkdir -p dist
    zip_contents >"$staging/contents"
    write_zip "dist/$name.zip" "$staging/contents"
    step "made dist/$name.zip ($(du -k "dist/$name.zip" | cut -f1) KB)"
    echo "$PWD/dist/$name.zip"
}

main
