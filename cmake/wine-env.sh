#!/usr/bin/env bash
# The Wine side of the test harness: one prefix per build directory, a persistent
# wineserver for the run, and a private Xvfb display when none is given.
#   wine-env.sh start STATE_DIR         create the prefix once, start server and display
#   wine-env.sh run STATE_DIR EXE ARGS  run a Windows program (starts what is missing)
#   wine-env.sh stop STATE_DIR          stop server and display
#   wine-env.sh shell STATE_DIR         print the environment, for debugging by hand
#   wine-env.sh can-run EXE             exit 0 when this machine can run EXE under Wine
# A 32-bit program on a machine whose kernel runs no 32-bit code (some virtual machines leave
# the compatibility mode out) is not run: `run` exits with 77, which the tests count as
# skipped, and says why.
set -euo pipefail

# Exit code of a program that was not run because this machine cannot run it.
readonly kCannotRun=77

# Whether `$1` is a 32-bit x86 Windows program: the machine field of its PE header.
is_pe32() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  [ "$machine" = "014c" ]
}

# Whether the kernel runs 32-bit programs: Wine's 32-bit loader needs it, and so does every
# 32-bit Windows program under Wine.
kernel_runs_32bit() {
  [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

# Whether `$1` can run here; says why not on stderr.
can_run() {
  local exe=$1
  case "$exe" in *.exe | *.EXE) ;; *) [ -f "$exe" ] || exe="$exe.exe" ;; esac
  if [ -f "$exe" ] && is_pe32 "$exe" && ! kernel_runs_32bit; then
    echo "wine-env: skipped $(basename "$exe"): this machine's kernel runs no 32-bit programs" >&2
    return 1
  fi
  return 0
}

if [ "${1:-}" = can-run ]; then
  can_run "$2"
  exit $?
fi

# Debian's `wine` starts the 32-bit loader whenever it is installed, and that loader starts the
# 64-bit one for 64-bit programs; where the kernel runs no 32-bit code, the 64-bit loader is
# called directly.
wine=wine
if ! kernel_runs_32bit && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi

cmd=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2

export WINEPREFIX="$state/prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Says which program is missing and how to get it, instead of failing further on.
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "wine-env: '$1' is not installed; 'make setup' installs it (Debian package $2)" >&2
  exit 2
}
need wine wine
need wineserver wine
[ -n "${DISPLAY:-}" ] || need Xvfb xvfb

# Wine converts file names through the process's character set: under the C locale of a fresh
# container every name outside ASCII is lost. Debian always has C.UTF-8; a caller whose locale
# is UTF-8 already keeps it, and with it the user language Wine reads from its name (Wine does
# so even when that locale is not generated on the machine).
effective_locale=${LC_ALL:-${LC_CTYPE:-${LANG:-}}}
case "$effective_locale" in
  *.UTF-8 | *.utf8 | *.UTF8 | *.utf-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  if [ -f "$state/display" ] && [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 9>&- &
    local pid=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      echo "$pid" >"$state/xvfb.pid"
      echo ":$n" >"$state/display"
      return 0
    fi
  done
  echo "wine-env: no free X display for Xvfb" >&2
  return 1
}

# Long-lived processes (wineserver, Wine's own services, Xvfb) must not inherit our output:
# whoever reads it (ctest, a pipe) would wait for them to end.
detached() { "$@" </dev/null >>"$state/background.log" 2>&1 9>&-; }

start() {
  exec 9>"$state/lock"
  flock 9
  # The display comes first: a prefix made without one leaves that Wine session unable to
  # show any window.
  start_display
  use_display
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    detached "$wine" wineboot -i || true
    detached wineserver -w || true
  fi
  # The server and Wine's services are started every time: a mark left from before a reboot
  # must not let the first test program start them, holding its output open.
  detached wineserver -p || true
  if [ ! -f "$state/unmanaged" ]; then
    # Without a window manager, Wine waits two seconds for one on every window it hides:
    # leave the windows unmanaged instead.
    detached "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f && touch "$state/unmanaged"
  fi
  if [ ! -f "$state/nocrashdialog" ]; then
    # A crashing program would wait in Wine's crash dialog until ctest's timeout; without the
    # dialog it prints its backtrace and ends at once.
    detached "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
      touch "$state/nocrashdialog"
  fi
  # Starts Wine's services now, detached, rather than inside the first test program.
  detached "$wine" cmd /c exit || true
  touch "$state/started"
  flock -u 9
  exec 9>&-
}

display_alive() {
  [ -n "${DISPLAY:-}" ] || { [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; }
}

use_display() {
  if [ -z "${DISPLAY:-}" ] && [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
  fi
}

case "$cmd" in
  start) start ;;
  run)
    can_run "$1" || exit $kCannotRun
    if [ ! -f "$state/started" ] || ! display_alive; then
      start
    fi
    # Keeps the server alive (and detached) even if something stopped it meanwhile.
    detached wineserver -p || true
    use_display
    exec "$wine" "$@"
    ;;
  stop)
    wineserver -k 2>/dev/null || true
    rm -f "$state/started"
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
  shell)
    use_display
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG='$WINEDEBUG' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' DISPLAY='${DISPLAY:-}'"
    ;;
  *) echo "usage: wine-env.sh start|run|stop|shell STATE_DIR ... | can-run EXE" >&2; exit 2 ;;
esac
