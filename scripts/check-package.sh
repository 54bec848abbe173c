#!/usr/bin/env bash
# Builds the Debian package and checks it as it would be installed: unpacked into a temporary root, its
# glyphmere-batch restyles a real document; the desktop entry, icon, AppStream metadata, manual pages and
# completion are where the package's own files say; the desktop entry and the metadata validate; lintian
# finds no error. With a .deb as argument it checks that package instead of building one.
set -euo pipefail
given=${1:+$(realpath "$1")}
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package
deb=${given:-$(scripts/package.sh)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"
fail() {
    echo "check-package: $*" >&2
    exit 1
}
need_file() { [ -f "$root$1" ] || fail "the package lacks $1${2:+ ($2)}"; }

echo "== $(basename "$deb")"
dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$'
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libzip4 libdeflate0 libpugixml1v5 libfontconfig1; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library"
done

echo "== glyphmere-batch from the package"
batch=$root/usr/bin/glyphmere-batch
help=$("$batch" --help)
if grep -q -- '--version' <<<"$help"; then
    version=$(dpkg-deb -f "$deb" Version)
    "$batch" --version | grep -qF "$version" || fail "glyphmere-batch --version does not name the version $version"
fi
cp tests/data/libreoffice.docx "$work/letter.docx"
"$batch" --font "Liberation Serif" --size 11 "$work/letter.docx" | tee "$work/batch.out"
grep -qx "changed: $work/letter.docx" "$work/batch.out" || fail "glyphmere-batch did not change the document"
unzip -p "$work/letter.docx" word/document.xml | grep -q 'w:ascii="Liberation Serif"' ||
    fail "the restyled document does not hold the new font"

echo "== Files where the package says"
for program in glyphmere glyphmere-batch; do
    need_file "/usr/bin/$program"
    need_file "/usr/share/man/man1/$program.1.gz" "its manual page"
    zcat "$root/usr/share/man/man1/$program.1.gz" | grep -q "^\.TH \"$program\" \"1\"" ||
        fail "the manual page of $program is not a section 1 page of that name"
done
for image in HAND-M.CUR drag.ico; do
    need_file "/usr/bin/../share/glyphmere/$image" "the window looks there beside its own folder"
done
desktops=("$root"/usr/share/applications/*.desktop)
[ ${#desktops[@]} -eq 1 ] && [ -f "${desktops[0]}" ] || fail "the package should hold one desktop entry"
desktop=${desktops[0]}
desktop_id=$(basename "$desktop")
need_file "/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" "the desktop entry's Exec"
icon=$(sed -n 's/^Icon=//p' "$desktop")
need_file "/usr/share/icons/hicolor/scalable/apps/$icon.svg" "the desktop entry's Icon"
for size in 16 22 24 32 48 64 128 256; do
    need_file "/usr/share/icons/hicolor/${size}x$size/apps/$icon.png" "the desktop entry's Icon"
done
metainfo=$root/usr/share/metainfo/${desktop_id%.desktop}.metainfo.xml
need_file "${metainfo#"$root"}" "the AppStream metadata of $desktop_id"
grep -q "<launchable type=\"desktop-id\">$desktop_id</launchable>" "$metainfo" ||
    fail "the AppStream metadata does not launch $desktop_id"
need_file /usr/share/bash-completion/completions/glyphmere-batch "the completion bash loads on demand"
need_file /usr/share/doc/glyphmere/copyright

echo "== Completion offers every option of --help"
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
    source "$1"
    COMP_WORDS=(glyphmere-batch --); COMP_CWORD=1; COMP_LINE="glyphmere-batch --"; COMP_POINT=${#COMP_LINE}
    _glyphmere_batch glyphmere-batch -- glyphmere-batch
    printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/glyphmere-batch")
missing=$(comm -23 <(echo "$options") <(sort -u <<<"$offered"))
[ -z "$missing" ] || fail "the completion does not offer: $missing"

echo "== Desktop entry and AppStream metadata"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

echo "== lintian"
lintian --fail-on error "$deb"
echo "check-package: the package is sound"
