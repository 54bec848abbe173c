#!/usr/bin/env bash
# Builds the engine's libraries for 64-bit Windows (x86_64-w64-mingw32) as static libraries, from Debian's
# own packages only: zlib is Debian's MinGW-w64 build (libz-mingw-w64-dev); libzip, pugixml, libdeflate
# and GoogleTest are built from Debian's source packages, fetched with `apt-get source`. Adds a deb-src
# entry for the suites the machine already uses when it has none, and installs the tools it needs.
# The result is a prefix with lib/cmake configurations and lib/pkgconfig files, for find_package or
# pkg_check_modules with the MinGW-w64 tool chain (cmake/mingw-w64.cmake).
#   --force   build again even when the cache already holds this set of versions
# The cache is .cache/windows-deps/ (or $GLYPHMERE_WINDOWS_DEPS, an absolute path); the prefix is its prefix/ link, which
# points at a folder keyed by the versions of the source packages, of the MinGW zlib and compiler
# packages, and by this script and the tool chain file, so a run with nothing new does nothing (and
# needs no network). Build logs are kept in the cache's logs/ folder. Each library's licence text (the
# source package's debian/copyright, zlib's from its MinGW package) is kept as share/doc/NAME/copyright for
# the Windows download (scripts/package-windows.sh); a prefix that lacks one gets it without a rebuild.
set -euo pipefail
cd "$(dirname "$0")/.."

force=0
if [ "${1:-}" = "--force" ]; then
    force=1
elif [ $# -gt 0 ]; then
    echo "usage: $0 [--force]" >&2
    exit 2
fi
cache=${GLYPHMERE_WINDOWS_DEPS:-$PWD/.cache/windows-deps}
if [ "${cache#/}" = "$cache" ]; then
    echo "windows-deps: GLYPHMERE_WINDOWS_DEPS must be an absolute path" >&2
    exit 2
fi
toolchain=$PWD/cmake/mingw-w64.cmake
triple=x86_64-w64-mingw32
# The tool chain file's C compiler (POSIX thread model), for the one library built without CMake.
cc=$triple-gcc-posix
source_packages=(libzip pugixml libdeflate googletest)
started=$(date +%s)

step() { echo "== windows-deps: $*"; }

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
# Another apt-get may hold the lock for a while: wait for it rather than fail.
apt_get=("${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)

install_missing_packages() {
    local wanted=(libz-mingw-w64-dev g++-mingw-w64-x86-64-posix cmake make dpkg-dev pkg-config)
    local missing=() package
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    step "installing ${missing[*]}"
    if ! "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"; then
        "${apt_get[@]}" update -qq
        "${apt_get[@]}" install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

# The machine's Debian entries turned into deb-src entries for the same archives, suites and components:
# deb822 stanzas from *.sources files, then one-line entries from *.list files. Other archives are left
# out, as they may have no sources.
debian_deb822_as_deb_src() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /(^|\n)Types:([^\n]* )?deb( |\n)/ && /(^|\n)URIs:[^\n]*\/debian(-security)?\/?(\n|$)/ &&
             !/(^|\n)Enabled: *no/ {
                 gsub(/(^|\n)#[^\n]*/, "")
                 sub(/^\n/, "")
                 sub(/Types:[^\n]*/, "Types: deb-src")
                 print
             }' "$file"
    done
}

debian_one_line_as_deb_src() {
    local file
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        sed -nE 's,^deb( +\[[^]]*\])? +([^ ]*/debian(-security)?/?) (.*)$,deb-src\1 \2 \4,p' "$file"
    done
}

# apt-get source needs a deb-src entry. The package lists are updated only when one is added (or the
# lists do not know the sources yet), so a warm run does not touch the network.
ensure_deb_src() {
    apt-cache showsrc --only-source "${source_packages[0]}" 2>/dev/null | grep -q '^Version:' && return
    if ! apt-get indextargets 2>/dev/null | grep -q '^Created-By: Sources'; then
        local name=/etc/apt/sources.list.d/glyphmere-deb-src deb822 one_line
        deb822=$(debian_deb822_as_deb_src)
        one_line=$(debian_one_line_as_deb_src)
        if [ -z "$deb822$one_line" ]; then
            echo "windows-deps: no Debian archive among the apt sources to add a deb-src entry for" >&2
            exit 1
        fi
        local header="# Added by Glyphmere's scripts/build-windows-deps.sh, for apt-get source."
        if [ -n "$deb822" ]; then
            step "adding deb-src entries in $name.sources"
            printf '%s\n%s\n' "$header" "$deb822" | "${sudo_cmd[@]}" tee "$name.sources" >/dev/null
        fi
        if [ -n "$one_line" ]; then
            step "adding deb-src entries in $name.list"
            printf '%s\n%s\n' "$header" "$one_line" | "${sudo_cmd[@]}" tee "$name.list" >/dev/null
        fi
    fi
    step "updating the package lists"
    "${apt_get[@]}" update -qq
}

# The newest version of a source package among the suites the machine uses, in dpkg's order.
source_version() {
    local best="" version
    for version in $(apt-cache showsrc --only-source "$1" | sed -n 's/^Version: //p'); do
        if [ -z "$best" ] || dpkg --compare-versions "$version" gt "$best"; then best=$version; fi
    done
    echo "$best"
}

installed_version() { dpkg-query -W -f='${Version}' "$1"; }

# What the prefix is built from: the packages' versions and the recipe (this script, the tool chain).
describe_inputs() {
    local package
    echo "libz-mingw-w64-dev $(installed_version libz-mingw-w64-dev)"
    for package in "${source_packages[@]}"; do
        echo "$package $(source_version "$package")"
    done
    echo "g++-mingw-w64-x86-64-posix $(installed_version g++-mingw-w64-x86-64-posix)"
    echo "recipe $(cat scripts/build-windows-deps.sh "$toolchain" | sha256sum | cut -c1-16)"
}

# Runs a build step with its output in the package's log; on failure shows the log's end.
logged() {
    if ! "$@" >>"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "windows-deps: failed: $*; the whole log is $log" >&2
        exit 1
    fi
}

# Fetches and unpacks (with Debian's patches applied) one version of a source package; sets $source.
fetch_source() {
    local name=$1 version=$2 folder=$cache/sources/$1
    local sandbox=()
    # apt's download user cannot write into a folder of root's.
    [ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && logged apt-get "${sandbox[@]}" source -q --only-source "$name=$version")
    source=$(find "$folder" -mindepth 1 -maxdepth 1 -type d)
    record_licence "$name" "$source/debian/copyright"
}

licence_file() { echo "$prefix/share/doc/$1/copyright"; }

record_licence() {
    mkdir -p "$(dirname "$(licence_file "$1")")"
    cp "$2" "$(licence_file "$1")"
}

# Optimised, without debug information, static only, installed into the prefix.
cmake_build() {
    local build=$cache/build/$1
    shift
    logged cmake -S "$source" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_SHARED_LIBS=OFF "$@"
    logged nice -n 10 cmake --build "$build" -j2
    logged cmake --install "$build"
}

# Documents are read and written with deflate or stored entries only, and encrypted entries are refused
# before libzip sees them: zlib is the one compression library, and no cryptography library is linked.
build_libzip() {
    cmake_build libzip -DZLIB_USE_STATIC_LIBS=ON -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
        -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
        -DENABLE_WINDOWS_CRYPTO=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF
    # This libzip's package configuration leaves zlib, which its static library needs, to its user.
    # shellcheck disable=SC2016 # CMake's variable, not the shell's
    sed -i 's|^include("${CMAKE_CURRENT_LIST_DIR}/libzip-targets.cmake")|include(CMakeFindDependencyMacro)\nfind_dependency(ZLIB)\n&|' \
        "$prefix/lib/cmake/libzip/libzip-config.cmake"
}

build_pugixml() { cmake_build pugixml -DPUGIXML_BUILD_TESTS=OFF; }

build_googletest() { cmake_build googletest; }

# libdeflate has only a Makefile in this version; it names its static library libdeflatestatic.lib for
# MinGW, which -ldeflate would not find. Its compression programs are not wanted.
build_libdeflate() {
    logged nice -n 10 make -C "$source" -j2 CC="$cc" AR="$triple-ar" DISABLE_SHARED=1 STATIC_LIB_SUFFIX=.a \
        PREFIX="$prefix" LIBDIR="$prefix/lib" install
    rm -f "$prefix"/bin/libdeflate-gzip* "$prefix"/bin/libdeflate-gunzip*
    rmdir "$prefix/bin" 2>/dev/null || true
}

# The prefix holds static libraries only, so what a library needs from others is part of linking it:
# pkg-config's private libraries become plain ones (pkg_check_modules does not ask for --static). Paths
# name the cache's prefix/ link, not this set of versions' folder, so that a build folder that cached
# them still finds the libraries once a new set replaces this one.
adapt_pkg_config_files() {
    local file
    for file in "$prefix"/lib/pkgconfig/*.pc; do
        awk -v folder="$prefix" -v link="$cache/prefix" '
            /^Libs.private:/ { private = private substr($0, 14); next }
            { lines[++n] = $0 }
            END { for (i = 1; i <= n; i++) {
                      line = lines[i]
                      while ((at = index(line, folder)) > 0)
                          line = substr(line, 1, at - 1) link substr(line, at + length(folder))
                      if (line ~ /^Libs:/) line = line private
                      print line } }' "$file" >"$file.new"
        mv "$file.new" "$file"
    done
}

# zlib is Debian's MinGW-w64 build in the cross compiler's own tree; its licence goes with the others.
record_zlib() { record_licence zlib /usr/share/doc/libz-mingw-w64-dev/copyright; }

# A prefix whose libraries are built but which lacks a licence text (one removed by hand, or a prefix
# copied from an older cache) gets it back from the source package, fetched and unpacked but not built.
top_up_licences() {
    local name version source log=$cache/logs/licences.log
    [ -f "$(licence_file zlib)" ] || record_zlib
    for name in "${source_packages[@]}"; do
        [ -f "$(licence_file "$name")" ] && continue
        version=$(sed -n "s/^$name //p" <<<"$inputs")
        step "adding the licence text of $name $version"
        mkdir -p "$cache/logs"
        fetch_source "$name" "$version"
    done
    rm -rf "$cache/sources"
}

build_all() {
    local name version source log package_started
    record_zlib
    for name in "${source_packages[@]}"; do
        version=$(sed -n "s/^$name //p" <<<"$inputs")
        log=$cache/logs/$name.log
        : >"$log"
        package_started=$(date +%s)
        fetch_source "$name" "$version"
        "build_${name}"
        step "$name $version built in $(($(date +%s) - package_started)) s"
    done
    adapt_pkg_config_files
}

# Earlier sets of versions are of no more use once this one is built.
remove_old_prefixes() {
    local folder
    for folder in "$cache/$triple"-*; do
        [ "$folder" = "$prefix" ] || rm -rf "$folder"
    done
}

main() {
    install_missing_packages
    ensure_deb_src
    local inputs key
    inputs=$(describe_inputs)
    if grep -q ' $' <<<"$inputs"; then
        echo "$inputs" >&2
        echo "windows-deps: a source package above has no version: is there a deb-src entry?" >&2
        exit 1
    fi
    key=$(sha256sum <<<"$inputs" | cut -c1-12)
    prefix=$cache/$triple-$key
    if [ "$force" = 0 ] && [ -f "$prefix/versions.txt" ]; then
        top_up_licences
        ln -sfn "$(basename "$prefix")" "$cache/prefix"
        step "up to date: $cache/prefix ($(paste -sd, - <"$prefix/versions.txt" | sed 's/,/, /g'))"
        return
    fi
    printf '    %s\n' "${inputs//$'\n'/$'\n'    }"
    rm -rf "$prefix" "$cache/build"
    mkdir -p "$prefix" "$cache/build" "$cache/logs" "$cache/sources"
    build_all
    echo "$inputs" >"$prefix/versions.txt"
    ln -sfn "$(basename "$prefix")" "$cache/prefix"
    remove_old_prefixes
    rm -rf "$cache/build" "$cache/sources"
    step "built $cache/prefix in $(($(date +%s) - started)) s"
}

main
