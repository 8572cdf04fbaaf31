#!/usr/bin/env bash
# Runs one Windows program under Wine for CTest (CMAKE_CROSSCOMPILING_EMULATOR) and by hand.
#
#   wine-run.sh PREFIX_DIR PROGRAM.exe [ARGS...]
#
# - PREFIX_DIR is the tree's private Wine prefix; it is created once (wineboot --init),
#   under a lock, so that parallel first runs do not race. Its post-mortem debugger is
#   off: a crashing program ends at once with its exception code.
# - Without DISPLAY an Xvfb display is started for this run and stopped afterwards (by
#   its own PID), after Wine's processes are gone.
# - After the program ends the launcher waits for the prefix's wineserver to exit, so
#   that no process of this run leaks into the next one.
# - The exit code is the program's; a broken platform (no Wine, no Xvfb, a prefix that
#   cannot be made) is exit code 125 with a message on standard error.
set -u

die() {
  echo "wine-run: $*" >&2
  exit 125
}

[ $# -ge 2 ] || die "usage: wine-run.sh PREFIX_DIR PROGRAM [ARGS...]"
prefix=$(realpath -m "$1")
shift

# Debian's /usr/bin/wine prefers the 32-bit loader whenever it is installed, even on a
# kernel that cannot run 32-bit programs; pick the loader that fits the program.
loader64=/usr/lib/wine/wine64
loader32=/usr/lib/wine/wine
[ -x "$loader64" ] || die "Wine is not installed ($loader64 missing): run scripts/setup-deps.sh"
command -v wineserver >/dev/null || die "wineserver is not installed: run scripts/setup-deps.sh"

program=$1
loader=$loader64
if [ -f "$program" ] && command -v objdump >/dev/null; then
  case "$(objdump -f "$program" 2>/dev/null)" in
    *pei-i386*)
      [ -x "$loader32" ] || die "wine32 is not installed: run scripts/setup-deps.sh"
      "$loader32" --version >/dev/null 2>&1 ||
        die "this kernel cannot run 32-bit programs, so Wine cannot run the 32-bit program $program"
      loader=$loader32
      ;;
  esac
fi

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
export WINELOADER=$loader64

mkdir -p "$(dirname "$prefix")" || die "cannot create $(dirname "$prefix")"
# The marker holds the version of the prefix's settings: a prefix made by an older launcher
# is made again.
settings=2
(
  flock 9
  if [ "$(cat "$prefix/.ovd-ready" 2>/dev/null)" != "$settings" ]; then
    rm -rf "$prefix"
    "$loader64" wineboot --init >/dev/null 2>&1
    # One virtual desktop: Wine draws window frames and captions itself, so screenshots
    # show what a user would see without a window manager on the display.
    "$loader64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$loader64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    # No post-mortem debugger: an unhandled exception ends the process at once with its
    # exception code. Wine's default debugger (winedbg --auto, taken when the value is
    # missing, hence an empty one) opens a crash dialog that nobody closes on Xvfb and
    # keeps the wineserver alive until the test's timeout, failing the next test too.
    # 32-bit programs read the key in the 32-bit view.
    for view in 64 32; do
      "$loader64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d '' /f /reg:$view >/dev/null 2>&1
    done
    wineserver -w
    [ "$(grep -c '^"Debugger"=""' "$prefix/system.reg")" = 2 ] || exit 1
    echo "$settings" >"$prefix/.ovd-ready"
  fi
) 9>"$prefix.lock" || die "cannot create the Wine prefix $prefix"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap 'cleanup; exit 143' TERM INT

if [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || die "Xvfb is not installed: run scripts/setup-deps.sh"
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo"
  rm -f "$fifo"
  [ -n "${display_number:-}" ] || { kill "$xvfb_pid" 2>/dev/null; die "Xvfb did not start"; }
  export DISPLAY=:$display_number
fi

"$loader" "$@" &
child=$!
wait "$child"
rc=$?

# Let the prefix settle: every Wine process of this run ends before the next run starts.
wineserver -w
if [ -n "$xvfb_pid" ]; then
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
fi
exit "$rc"
