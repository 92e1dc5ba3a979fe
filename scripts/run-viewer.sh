#!/usr/bin/env bash
# The main job: the diagnostics viewer on the bundled sample log, through the host tool, as a
# suite process would open it. Without a display it runs under a private Xvfb, selects the
# group with the most records, saves a screenshot and closes the viewer after a few seconds.
# The product is the x86 build; a machine that runs no 32-bit programs shows the x64 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/windows-x86
env=$root/cmake/wine-env.sh
if ! "$env" can-run "$build/bin/zthost.exe"; then
  echo "run-viewer: showing the x64 build instead" >&2
  cmake --preset windows-x64 >/dev/null
  cmake --build --preset windows-x64 -j"$(nproc)" --target zthost ZtServiceMsg ZtServiceMsgENU ZtServiceMsgDEU
  build=$root/build/windows-x64
fi
state=$build/wine
sample=$root/samples/Events.log
lcid=${ZT_LCID:-0x0407}

sample_win=$("$env" run "$state" winepath -w "$sample" | tr -d '\r')
cd "$build/bin"
if [ -n "${DISPLAY:-}" ]; then
  "$env" run "$state" ./zthost.exe diagnose "$lcid" "$sample_win"
else
  shot=$build/viewer.png
  rm -f "$shot"
  "$env" run "$state" ./zthost.exe --close-after "${ZT_CLOSE_AFTER_MS:-4000}" --action select-largest --screenshot "$("$env" run "$state" winepath -w "$shot" | tr -d '\r')" \
    diagnose "$lcid" "$sample_win"
  "$env" stop "$state"
  if [ -f "$shot" ]; then
    echo "Screenshot of the viewer: $shot"
  else
    echo "No screenshot was taken: this build's viewer showed no window." >&2
    exit 1
  fi
fi
