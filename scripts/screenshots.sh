#!/usr/bin/env bash
# Regenerates the screenshots under docs/images/ from the real dialogs, through the host tool
# under Wine and Xvfb: the information dialog in German and English, the viewer on the sample
# log in both groupings, the details dialog, the context menu, a record found, all matches and
# the timeline; a log larger than the viewer's budget; a long message, a wide viewer, the details
# of a long record, a missing log, and the viewer and the details at 144 DPI.
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
host --close-after 1500 --action records --screenshot "$(winpath "$images/records-de.png")" diagnose 0x0407 "$sample"
# English, with the first row's computer shown alone (ID_FILTER_ONLY_COMPUTER) and its type hidden
host --close-after 1500 --action records --action records-filter=32802 --action records-filter=32807 --screenshot "$(winpath "$images/records-en.png")" diagnose 0x0409 "$sample"

# A log larger than the budget the host set (16 MB): the caption band says which records it shows.
budget=$build/screenshots-budget.log
awk 'BEGIN { for (i = 0; i < 3000000; i++) { s = int(i / 2); printf "%02d.12.2026 %02d:%02d:%02d   Host=\"PC%d\" Process=\"Archiv\" Traceclass=\"%d\" Text=\"Meldung %d\"\r\n", 1 + int(s / 86400), int(s / 3600) % 24, int(s / 60) % 60, s % 60, i % 3, i % 3, i } }' >"$budget"
budgetlog=$(winpath "$budget")
budgetkey='HKLM\Software\Morvane\Vistral\ZtServiceMsg\Viewer'
view=/reg:64 # the view of the registry the host reads: a 32-bit one's is apart
[ $preset = windows-x64 ] || view=/reg:32
unbudget() { "$env" run "$state" reg delete "$budgetkey" /v MemoryBudgetMB /f $view >/dev/null 2>&1 || true; }
trap unbudget EXIT # the tests share the prefix
"$env" run "$state" reg add "$budgetkey" /v MemoryBudgetMB /t REG_DWORD /d 16 /f $view >/dev/null
host --close-after 3000 --screenshot "$(winpath "$images/viewer-newest-de.png")" diagnose 0x0407 "$budgetlog"
host --close-after 3000 --screenshot "$(winpath "$images/viewer-newest-en.png")" diagnose 0x0409 "$budgetlog"

# The hard cases: a message longer than its band, a record of a long message and a long computer
# name, a log that is not there; then the same at 144 DPI (the platform's setting, read when Wine
# starts).
long=$(printf 'Die Verbindung zum Archivserver wurde unterbrochen; Meldungen werden zwischengespeichert. %.0s' {1..14})
hard=$build/screenshots-hard.log
printf '05.12.2026 09:15:30   Host="Leitstand-Nord-Gebaeude-7-Schaltwarte-Reserve" Process="Archiv" Traceclass="2" Text="%s"\r\n05.12.2026 09:15:31   Host="Leitstand-Nord-Gebaeude-7-Schaltwarte-Reserve" Process="Archiv" Traceclass="2" Text="Wieder verbunden."\r\n' "$long" >"$hard"
hardlog=$(winpath "$hard")
entry="Leitstand-Nord-Gebaeude-7-Schaltwarte-Reserve (2)"
host --close-after 1000 --screenshot "$(winpath "$images/info-long.png")" info 5000 5001 0x0407 Leitstand "$long"
host --close-after 1500 --action size=1100x620 --action "select=$entry" --screenshot "$(winpath "$images/viewer-wide.png")" diagnose 0x0407 "$hardlog"
host --close-after 1500 --action "select=$entry" --action details --screenshot "$(winpath "$images/details-long.png")" diagnose 0x0407 "$hardlog"
host --close-after 1500 --screenshot "$(winpath "$images/viewer-missing.png")" diagnose 0x0409 'C:\Leitstand\fehlt\Events.log'
dpi() {
  "$env" run "$state" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  "$env" stop "$state"
}
trap 'dpi 96; unbudget' EXIT # the tests share the prefix: never leave it at 144
dpi 144
host --close-after 1500 --action "select=PC1 (4)" --screenshot "$(winpath "$images/viewer-144.png")" diagnose 0x0407 "$sample"
host --close-after 1500 --action "select=$entry" --action details --screenshot "$(winpath "$images/details-144.png")" diagnose 0x0409 "$hardlog"
host --close-after 1000 --screenshot "$(winpath "$images/info-144.png")" info 5000 5001 0x0409 "Control room" "$long"
host --close-after 1500 --action records --action records-filter=32807 --screenshot "$(winpath "$images/records-144.png")" diagnose 0x0407 "$sample"
host --close-after 3000 --screenshot "$(winpath "$images/viewer-newest-144.png")" diagnose 0x0407 "$budgetlog"
unbudget
rm -f "$hard" "$budget"
ls -l "$images"
