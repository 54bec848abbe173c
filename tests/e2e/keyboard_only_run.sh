#!/usr/bin/env bash
# The whole job from the keyboard alone, in the real window on a virtual X screen: Tab to the list and on to
# "Add Word File(s)", Enter, type three paths into the file dialog, go back to the list and remove the
# second row with Delete, type the size 14, Enter on "Change Font", and read "Done." (copied with Ctrl+C).
# The two documents left in the list must then be 14 pt throughout, and the removed one untouched.
# Usage: keyboard_only_run.sh GLYPHMERE DOCUMENT
set -euo pipefail
program=$1
document=$2

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "keyboard_only_run: $*" >&2
    exit 1
}

mkdir -p "$work/docs" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
for name in a b c; do cp "$document" "$work/docs/$name.docx"; done
cp "$document" "$work/original.docx"

Xvfb -displayfd 3 -screen 0 800x600x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for ((tries = 0; tries < 100; tries++)); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

(cd "$work" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb exec "$program") &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Glyphmere$' | head -1)
[ -n "$window" ] || fail "the window did not open"

# Keys into the window. There is no window manager to give the window back the focus after a dialog,
# so it is given here, as a window manager would.
keys() { xdotool windowfocus --sync "$window" key --delay 50 "$@"; }

# Waits up to 30 seconds for a window titled like $1 other than the main window, and prints its id.
dialog() {
    local found
    for ((tries = 0; tries < 300; tries++)); do
        if found=$(xdotool search --onlyvisible --name "$1" | grep -vx "$window" | head -1); then
            echo "$found"
            return
        fi
        sleep 0.1
    done
    fail "no dialog titled $1 came up"
}

closed() {
    for ((tries = 0; tries < 300; tries++)); do
        xdotool search --onlyvisible --name "$1" | grep -qx "$2" || return 0
        sleep 0.1
    done
    fail "the dialog titled $1 stayed open"
}

# The focus starts on the font list: Tab to the document list, Tab to "Add Word File(s)", Enter.
keys Tab Tab Return
files=$(dialog '^Add File')
xdotool windowfocus --sync "$files" type --delay 10 "\"$work/docs/a.docx\" \"$work/docs/b.docx\" \"$work/docs/c.docx\""
xdotool key Return
closed '^Add File' "$files"

# Back to the list, second row, Delete. Then the size box, two steps back round the tab order.
keys shift+Tab Home Down Delete
keys shift+Tab shift+Tab ctrl+a 1 4
# Back past the check box and "Command1" to "Change Font", and Enter.
keys shift+Tab shift+Tab shift+Tab Return

message=$(dialog '^Glyphmere$')
xdotool windowfocus --sync "$message" key ctrl+c
said=$(timeout 10 xclip -o -selection clipboard)
[ "$said" = "Done." ] || fail "the run ended with \"$said\", not \"Done.\""
xdotool key Return
closed '^Glyphmere$' "$message"

# The font sizes of a document's main text, each once.
sizes() { unzip -p "$1" word/document.xml | grep -o 'w:sz w:val="[0-9]*"' | sort -u | tr '\n' ' '; }
for name in a c; do
    [ "$(sizes "$work/docs/$name.docx")" = 'w:sz w:val="28" ' ] ||
        fail "$name.docx was not set to 14 pt: $(sizes "$work/docs/$name.docx")"
done
cmp -s "$work/original.docx" "$work/docs/b.docx" || fail "b.docx was changed, though it was removed from the list"
echo "keyboard_only_run: passed"
