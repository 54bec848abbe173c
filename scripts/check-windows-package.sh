#!/usr/bin/env bash
# Checks the Windows download as a user gets it: makes it with scripts/package-windows.sh (or takes the zip
# given), checks what the zip holds, unpacks it into a new temporary folder and runs the program there under
# Wine in a new prefix: --version, --help, and a restyle of copies of tests/data/pandoc.docx and
# tests/data/doc/*.doc in a folder named in several scripts. Every document must be reported changed, differ
# from its original, and still be a zip package or a compound file that opens. Installs Wine when missing.
#   scripts/check-windows-package.sh [ZIP]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 1 ]; then
    echo "usage: $0 [ZIP]" >&2
    exit 2
fi
step() { echo "== check-windows-package: $*"; }
fail() {
    echo "check-windows-package: $*" >&2
    exit 1
}

if ! command -v wine >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    step "installing wine"
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends wine wine64
fi
zip=${1:-$(scripts/package-windows.sh)}
version=$(sed -nE 's/^project\(Glyphmere VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
top=glyphmere-batch-$version-windows-x86_64

work=$(mktemp -d "${TMPDIR:-/tmp}/glyphmere-winzip.XXXXXX")
# A new prefix, without Mono and Gecko, which a new prefix would otherwise offer to install; Wine maps
# file names through the locale, which must be UTF-8 for the names in several scripts.
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

step "checking and unpacking $zip"
python3 - "$zip" "$top" "$work/unpacked" <<'EOF' || fail "$zip is not as it should be"
import sys, zipfile
path, top, target = sys.argv[1:]
expected = ["glyphmere-batch.exe", "README.txt", "LICENCE.txt"] + ["licences/%s.txt" % name for name in (
    "zlib", "libzip", "pugixml", "libdeflate", "gcc-runtime", "GPL-3", "mingw-w64")]
with zipfile.ZipFile(path) as package:
    names = package.namelist()
    problems = []
    if names != sorted(names):
        problems.append("names not in order")
    wanted = {top + "/" + name for name in expected}
    problems += ["lacks " + name for name in sorted(wanted - set(names))]
    problems += ["holds " + name + ", which it should not" for name in sorted(set(names) - wanted)]
    for name in names:
        data = package.read(name)
        if name.endswith(".txt") and (not data or data.count(b"\n") != data.count(b"\r\n")):
            problems.append("%s is empty or has a line end other than CR LF" % name)
    if any(item.date_time != package.infolist()[0].date_time for item in package.infolist()):
        problems.append("time stamps differ")
    for problem in problems:
        print("check-windows-package: " + problem, file=sys.stderr)
    package.extractall(target)
    sys.exit(1 if problems else 0)
EOF
program=$work/unpacked/$top/glyphmere-batch.exe

step "glyphmere-batch.exe --version and --help under $(wine --version) (new prefix $WINEPREFIX)"
output=$(timeout 300 wine "$program" --version </dev/null) || fail "--version failed"
echo "$output"
grep -qx "glyphmere-batch $version" <<<"${output%$'\r'}" || fail "--version did not say glyphmere-batch $version"
output=$(timeout 60 wine "$program" --help </dev/null) || fail "--help failed"
grep -q -- "--font" <<<"$output" || fail "--help did not list --font"

documents=$work/"Документы 文書 وثائق"
mkdir -p "$documents"
cp tests/data/pandoc.docx tests/data/doc/*.doc "$documents"/
windows_path() { echo "Z:${1//\//\\}"; }
names=()
for file in "$documents"/*; do names+=("$(windows_path "$file")"); done
step "restyling ${#names[@]} documents in $(windows_path "$documents")"
status=0
timeout 300 wine "$program" --font "Liberation Serif" --size 11 --headers-footers --jobs 2 \
    --report "$(windows_path "$work/report.json")" "${names[@]}" </dev/null || status=$?
[ "$status" = 0 ] || fail "glyphmere-batch.exe ended with exit status $status"

python3 - "$work/report.json" "$documents" tests/data <<'EOF' || fail "a restyled document is not as it should be"
import json, os, sys, zipfile
report, folder, originals = sys.argv[1:]
statuses = {os.path.basename(d["path"].replace("\\", "/")): d["status"] for d in json.load(open(report))["documents"]}
problems = []
for name in sorted(os.listdir(folder)):
    original = os.path.join(originals, name if name.endswith(".docx") else "doc/" + name)
    with open(os.path.join(folder, name), "rb") as f:
        data = f.read()
    if statuses.get(name) != "changed":
        problems.append("%s: reported %s" % (name, statuses.get(name)))
    if data == open(original, "rb").read():
        problems.append("%s: unchanged" % name)
    if name.endswith(".docx"):
        if not zipfile.is_zipfile(os.path.join(folder, name)):
            problems.append("%s: not a zip package" % name)
        elif zipfile.ZipFile(os.path.join(folder, name)).testzip() is not None:
            problems.append("%s: a damaged part" % name)
    elif not data.startswith(bytes.fromhex("d0cf11e0a1b11ae1")) or data[28:30] != b"\xfe\xff" or len(data) < 1536:
        problems.append("%s: not a compound file" % name)
for problem in problems:
    print("check-windows-package: " + problem, file=sys.stderr)
print("%d documents changed, each still a zip package or a compound file" % len(statuses))
sys.exit(1 if problems else 0)
EOF
step "the Windows download works in a new Wine prefix"
