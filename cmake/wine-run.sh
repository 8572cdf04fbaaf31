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
# - After the program ends the launcher waits for the prefix's wineserver to exit (or,
#   with OVD_WINE_SERVER=persistent, for the program's other processes), so that no
#   process of this run leaks into the next one.
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

# OVD_WINE_SERVER=persistent (scripts/test.sh, with one display for the whole run): the
# prefix's wineserver and Wine's own services (services.exe, winedevice.exe and the rest)
# stay up from one program to the next instead of starting again for each (about 5 s a
# program). The program runs in a session of its own, and the run ends once every process
# of that session but those services has ended: nothing of this run leaks into the next,
# as with a server that exits. The caller stops the server (wineserver -k).
persistent=0
if [ "${OVD_WINE_SERVER:-}" = persistent ] && [ -z "$xvfb_pid" ]; then
  persistent=1
  # The server and the services outlive this run: they start without the descriptors
  # this script inherited (a pipe they held open, such as CTest's output pipe, would keep
  # CTest waiting for the test to end) and outside the program's session.
  (
    for fd in /proc/self/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] && eval "exec $fd>&-"
    done 2>/dev/null
    exec </dev/null >/dev/null 2>&1
    # Exit code 2: a server runs already (the persistent one, or one still exiting).
    wineserver -p || exit 0
    # Start the services now, outside the program's session. (The desktop's explorer.exe
    # ends a moment after the last window on it: a program with windows starts it again.)
    setsid "$loader64" rundll32.exe user32.dll,GetMessageExtraInfo
  )
fi

# Background and wait: the TERM trap runs while the script waits, not only after.
if [ "$persistent" = 1 ]; then
  setsid "$loader" "$@" &
else
  "$loader" "$@" &
fi
child=$!
wait "$child"
rc=$?

# Let the prefix settle: every Wine process of this run ends before the next run starts.
if [ "$persistent" = 1 ]; then
  # Ended processes count as gone even while unreaped (a container's PID 1 may not reap).
  services='^ *(Z|[^ ]+ +C:\\windows\\system32\\(services|winedevice|plugplay|svchost|rpcss|explorer)\.exe)'
  while ps -s "$child" -o stat=,args= | grep -qvE "$services"; do
    sleep 0.05
  done
else
  wineserver -w &
  wait $!
fi
if [ -n "$xvfb_pid" ]; then
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
fi
exit "$rc"
