#!/usr/bin/env bash
# Takes the README's screenshot, docs/screenshot.png, from the real window: it starts glyphmere on a
# virtual screen (Xvfb) with settings of its own, presses "Add All Word File(s) In Folder", accepts what
# its two dialogs offer (the extension, then the current folder: test documents under new names), and
# captures the window.
# Run it again when the window changes, and look at the picture before committing it.
set -euo pipefail
cd "$(dirname "$0")/.."
repository=$PWD
scripts/install-deps.sh --screenshot
# The window of build/, configured as scripts/run.sh does when it is not there yet.
[ -f build/CMakeCache.txt ] ||
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLYPHMERE_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target glyphmere >/dev/null

# A fixed folder, so the paths in the picture stay the same from run to run.
work=/tmp/glyphmere-screenshot
rm -rf "$work"
mkdir -p "$work/Reports/2026" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
for name in "Annual report" "Board minutes" "2026/Lease" "2026/Newsletter" "2026/Price list"; do
    cp tests/data/libreoffice-rich.docx "$work/Reports/$name.docx"
done

Xvfb -displayfd 3 -screen 0 800x600x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
while [ ! -s "$work/display" ]; do
    kill -0 "${pids[0]}" 2>/dev/null || { echo "screenshot: Xvfb did not start" >&2; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"

# Waits up to 10 seconds for a dialog titled like $1 (not the window itself), presses Enter in it, and waits
# for it to close.
accept_dialog() {
    local dialog="" tries=0
    until dialog=$(xdotool search --onlyvisible --name "$1" | grep -vx "$window" | head -1); do
        [ $((tries += 1)) -le 100 ] || { echo "screenshot: no dialog titled $1 came up" >&2; exit 1; }
        sleep 0.1
    done
    xdotool windowfocus --sync "$dialog" key Return
    while xdotool search --onlyvisible --name "$1" | grep -qx "$dialog"; do sleep 0.1; done
}

# The folder dialog opens on the current folder, which "Choose" then takes.
(cd "$work/Reports" && XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    exec "$repository/build/src/app/glyphmere") &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Glyphmere$' | head -1)
# "Add All Word File(s) In Folder" lies at 2280..4335 by 1800..2895 twips in the window (15 twips a pixel).
# It asks for the extension (Enter keeps "doc", which takes .docx too), then for the folder.
xdotool mousemove --window "$window" 220 155 click 1
accept_dialog '^Glyphmere$'
accept_dialog '^Please select folder to add:$'
xdotool mousemove 0 0
sleep 1 # the folder scan lists the documents, and the window repaints
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "docs/screenshot.png: $(identify -format '%wx%h' docs/screenshot.png)"
