#!/usr/bin/env bash
# Regenerates the screenshots under docs/images/ from the real dialogs, through the host tool
# under Wine and Xvfb: the information dialog in German and English, the viewer on the sample
# log in both groupings, the details dialog, the context menu, a record found, all matches and
# the timeline.
#   scripts/screenshots.sh [FOLDER]   (default docs/images)
# The x86 build takes them; a machine that runs no 32-bit programs takes them with the x64 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
env=$root/cmake/wine-env.sh
images=$(mkdir -p "${1:-$root/docs/images}" && cd "${1:-$root/docs/images}" && pwd)

preset=windows-x86
cmake --preset $preset >/dev/null
cmake --build --preset $preset >/dev/null
if ! "$env" can-run "$root/build/$preset/bin/zthost.exe" 2>/dev/null; then
  preset=windows-x64
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset >/dev/null
fi
build=$root/build/$preset
state=$build/wine
unset DISPLAY # a private Xvfb: the same pictures on every machine

winpath() { "$env" run "$state" winepath -w "$1" | tr -d '\r'; }
sample=$(winpath "$root/samples/Events.log")
# Each picture from a viewer that opens as the first one does: the choices an earlier picture's
# viewer kept (its grouping, its place) are removed first.
host() {
  "$env" run "$state" reg delete 'HKCU\Software\Morvane\Vistral\ZtServiceMsg\Viewer' /f >/dev/null 2>&1 || true
  (cd "$build/bin" && "$env" run "$state" ./zthost.exe "$@")
}

host --close-after 1000 --screenshot "$(winpath "$images/info-de.png")" info 5000 5001 0x0407 Leitstand "Verbindung zum Server unterbrochen"
host --close-after 1000 --screenshot "$(winpath "$images/info-en.png")" info 5000 5001 0x0409 "Control room" "Connection to the server lost"
host --close-after 1500 --action "select=PC1 (4)" --screenshot "$(winpath "$images/viewer-by-type.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action group-computer --action "select=Fehler (6)" --screenshot "$(winpath "$images/viewer-by-computer.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action "select=PC1 (4)" --action details --screenshot "$(winpath "$images/details.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action "select=PC1 (4)" --action menu --screenshot "$(winpath "$images/viewer-menu.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action timeline --screenshot "$(winpath "$images/timeline.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action "find=Speicher knapp" --screenshot "$(winpath "$images/viewer-found.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action "find=Speicher knapp" --action matches --screenshot "$(winpath "$images/viewer-matches.png")" diagnose 0x0407 "$sample"
"$env" stop "$state"
ls -l "$images"
