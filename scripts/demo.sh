#!/usr/bin/env bash
# The demo: builds the x86-64 tree (when needed), builds the sample setup of examples/demo
# with ovdpack, runs it under Wine silently with a log file and prints the start-up trace
# and the exit code, then runs it again on an Xvfb display and walks its wizard (welcome,
# licence, folder, features, options, the progress page, finish) with a screenshot of every page.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/setup-deps.sh

tree=${OVD_DEMO_TREE:-$top/build/win64}
out=$top/build/demo
jobs=${OVD_JOBS:-2}
if [ ! -f "$tree/build.ninja" ]; then
  echo "== configuring $tree"
  cmake -S . -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-mingw-x86_64.cmake" >/dev/null
fi
echo "== building the engine, ovd.lib and ovdpack ($tree)"
cmake --build "$tree" -j "$jobs" --target ordovan ovd_archive_dll ovd_host_tools wizard_walk >/dev/null

echo "== building the demo setup from examples/demo"
rm -rf "$out"
mkdir -p "$out"
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  examples/demo "$out/package"
ls -l "$out/package"

prefix=$tree/wine/prefix
run=$top/cmake/wine-run.sh
winpath() { echo "Z:${1//\//\\}"; }

echo
echo "== running it under Wine, silently: setup.exe /s /l=<log>"
log=$out/Demo-Trace.log
set +e
"$run" "$prefix" "$out/package/setup.exe" /s "/l=$(winpath "$log")"
code=$?
set -e
# The engine lower-cases the log path; the trace is UTF-16LE without byte-order mark.
trace=$out/demo-trace.log
if [ -f "$trace" ]; then
  echo "-- start-up trace ($trace):"
  iconv -f UTF-16LE -t UTF-8 "$trace"
else
  echo "-- no trace was written"
fi
echo "-- exit code: $code"

# What the installation left on the machine: the registry value (in the 32-bit view, as
# a 32-bit engine writes it) names the folder that received the files.
echo "-- what landed (HKLM\\Software\\OrdovanDemo, 32-bit view, and the folder it names):"
value=$("$run" "$prefix" 'C:\windows\system32\reg.exe' query 'HKLM\Software\OrdovanDemo' \
  /v InstallFolder /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
if [ -n "$value" ]; then
  echo "   InstallFolder = $value"
  "$run" "$prefix" 'C:\windows\system32\cmd.exe' /c dir /s /b "$value" 2>/dev/null | tr -d '\r' |
    sed 's/^/   /'
else
  echo "   (nothing was installed)"
fi

# The life cycle: the engine cached itself and wrote the product's uninstall entry; its
# command line (as Apps & Features starts it, here silently) removes the product and the
# cache.
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ordovan Demo'
query() {
  "$run" "$prefix" 'C:\windows\system32\reg.exe' query "$1" /v "$2" /reg:32 2>/dev/null |
    tr -d '\r' | sed -n 's/.*REG_SZ *//p' || true
}
echo
echo "== the uninstall entry ($entry)"
uninstall=$(query "$entry" UninstallString)
echo "   UninstallString = $uninstall"
cached=$(echo "$uninstall" | sed -n 's/^"\([^"]*\)".*/\1/p')
if [ -n "$cached" ]; then
  cachedir=${cached%\\*}
  echo "-- the engine cache ($cachedir):"
  "$run" "$prefix" 'C:\windows\system32\cmd.exe' /c dir /b /a "$cachedir" 2>/dev/null | tr -d '\r' |
    sed 's/^/   /'
  echo
  echo "== removing it: the entry's command line, silently"
  set +e
  # shellcheck disable=SC2086 # the switches after the quoted program
  "$run" "$prefix" "$cached" ${uninstall#\"$cached\"} /s
  code=$?
  set -e
  echo "-- exit code: $code"
  value=$(query 'HKLM\Software\OrdovanDemo' InstallFolder)
  echo "   HKLM\Software\OrdovanDemo InstallFolder: ${value:-(gone)}"
  left=$(query "$entry" UninstallString)
  echo "   uninstall entry: ${left:-(gone)}"
  if "$run" "$prefix" 'C:\windows\system32\cmd.exe' /c if exist "$cachedir" echo present 2>/dev/null |
    grep -q present; then
    echo "   engine cache: still there"
  else
    echo "   engine cache: (gone)"
  fi
else
  echo "   (no uninstall entry was written)"
fi

echo
echo "== walking its wizard on Xvfb (a screenshot of every page; the time each page took)"
set +e
OVD_TEST_OUT=$out "$run" "$prefix" "$tree/bin/wizard_walk.exe" "$(winpath "$out/package/setup.exe")"
code=$?
set -e
echo "-- exit code: $code"
if [ -d "$out/screenshots" ]; then
  echo "-- screenshots:"
  ls -1 "$out/screenshots"/*.png
fi

echo
echo "== the web media variant (examples/demo-web): its block served by nginx on loopback"
"$tree/host-tools/bin/ovdpack" --engine "$tree/bin/ordovan.exe" --lib "$tree/bin/ovd.lib" \
  examples/demo-web "$out/web-package" >/dev/null
server=$out/nginx
tests/e2e/webmedia/nginx.sh start "$server" >/dev/null
cp "$out/web-package/web/"*.7zip "$server/www/"
base="http://127.0.0.1:$(cat "$server/port")/"
app='C:\OrdovanWebDemo'
set +e
"$run" "$prefix" "$out/web-package/setup.exe" /s ALLUSERS=TRUE "BASEURL=$base" "APPDIR=$app" \
  INSTALL=TRUE UNINSTALL=FALSE
code=$?
echo "-- install exit code: $code; what the server saw:"
sed 's/^/   /' "$server/access.log"
echo "-- installed:"
"$run" "$prefix" 'C:\windows\system32\cmd.exe' /c dir /s /b "$app" 2>/dev/null | tr -d '\r' |
  sed 's/^/   /'
: >"$server/access.log"
"$run" "$prefix" "$out/web-package/setup.exe" /s ALLUSERS=TRUE "BASEURL=$base" "APPDIR=$app" \
  INSTALL=FALSE UNINSTALL=TRUE REMOVE=TRUE
code=$?
set -e
echo "-- removal exit code: $code; requests it made: $(wc -l <"$server/access.log")"
tests/e2e/webmedia/nginx.sh stop "$server"
