#!/usr/bin/env bash
# The Windows leg: cross-builds the programs and their tests with mingw-w64 and runs
# the tests under Wine, on a private Xvfb display with a private Wine prefix (kept in the build
# folder, so later runs start warm).
# Usage: tools/test-windows.sh [--bench]   (--bench also runs the Windows benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."

run_benchmarks=false
[[ "${1:-}" == "--bench" ]] && run_benchmarks=true

tools/install-deps.sh --windows
# The window's static Qt: built on the first run on a machine (about 17 minutes), then reused.
qt=$(tools/build-qt-windows.sh)

build=build-win
toolchain=()
# The toolchain is fixed when the build folder is first configured.
[[ -f "$build/CMakeCache.txt" ]] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B "$build" -G Ninja "${toolchain[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLO_WINDOWS_QT="$qt" -DTAMBLO_WARNINGS_AS_ERRORS=ON
cmake --build "$build" --parallel 2

export WINEPREFIX="$PWD/$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Without a UTF-8 locale Wine cannot map non-ASCII file names to Unix ones.
export LANG=C.UTF-8
wine=/usr/lib/wine/wine64

xvfb_pid=""
keeper_pid=""
chinese_prefix="$PWD/$build/wineprefix-zh"
cleanup() {
  wineserver -k 2>/dev/null || true
  WINEPREFIX="$chinese_prefix" wineserver -k 2>/dev/null || true
  [[ -z "$keeper_pid" ]] || wait "$keeper_pid" 2>/dev/null || true
  if [[ -n "$xvfb_pid" ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Xvfb picks a free display itself and reports its number, so parallel runs never collide.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$display_file" ]] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$display_file")"
rm -f "$display_file"
[[ "$DISPLAY" != ":" ]] || { echo "Xvfb did not start" >&2; exit 1; }

# One persistent wineserver and one boot, so the tests do not each wait for Wine's services.
prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  wineserver -p
  "$wine" wineboot >/dev/null 2>&1
  if [[ ! -f "$WINEPREFIX/.crash-dialog-off" ]]; then
    # A crashing test must fail, not wait for someone to close Wine's crash dialog.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    touch "$WINEPREFIX/.crash-dialog-off"
  fi
  if [[ ! -f "$WINEPREFIX/.unmanaged-windows" ]]; then
    # Xvfb has no window manager: Wine would wait two seconds for one at every window it hides.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    touch "$WINEPREFIX/.unmanaged-windows"
  fi
}
prepare_prefix

# Wine's desktop process ends soon after the last program that uses it, and each test program would
# start it again (about a second each). A console waiting on a pipe that never delivers keeps it.
keeper_pipe=$(mktemp -u)
mkfifo "$keeper_pipe"
exec 4<>"$keeper_pipe"
rm -f "$keeper_pipe"
"$wine" cmd.exe /k <&4 >/dev/null 2>&1 &
keeper_pid=$!
exec 4<&-

ctest --test-dir "$build" --output-on-failure --timeout 120 --parallel 2

# The window's path once more as the user 张三 on a Chinese system: ANSI code page 936 and the
# profile C:\users\张三, where recordings are kept and found again. A prefix of its own, since Wine
# names the profile after $USER when it makes a prefix.
(
  export WINEPREFIX="$chinese_prefix" LANG=zh_CN.UTF-8 USER=张三
  prepare_prefix
  [[ -d "$WINEPREFIX/drive_c/users/张三" ]] || { echo "FAILED: Wine made no profile C:\users\张三" >&2; exit 1; }
  timeout 300 "$wine" "$build/tests/win32/tamblo_win32_tests.exe" --gtest_filter='WindowEndToEnd.*' ||
    { echo "FAILED: the window as 张三" >&2; exit 1; }
) || exit 1
echo "tamblo.exe: the window's path as 张三 on a Chinese system passed"

# tamblo.exe is one file for the GUI subsystem: Qt and the compiler's runtime are linked in, so it
# imports only DLLs that come with Windows.
exe_header=$(x86_64-w64-mingw32-objdump -p "$build/app/tamblo.exe")
[[ "$exe_header" == *"(Windows GUI)"* ]] || { echo "FAILED: tamblo.exe is not a GUI-subsystem program" >&2; exit 1; }
system_dlls=(advapi32 comdlg32 d2d1 d3d11 dwmapi dwrite dxgi gdi32 imm32 kernel32 mpr msvcrt netapi32 ole32
  oleaut32 shell32 shlwapi user32 userenv uxtheme version winmm winspool.drv ws2_32 wtsapi32)
for dll in $(sed -n 's/^\tDLL Name: //p' <<<"$exe_header" | tr 'A-Z' 'a-z'); do
  [[ " ${system_dlls[*]} " == *" ${dll%.dll} "* ]] || { echo "FAILED: tamblo.exe imports $dll" >&2; exit 1; }
done

# tamblo-cli.exe end to end: check's verdicts and exit statuses on the same cases as on Linux, and a
# playback whose pointer moves are witnessed on the X display that Wine draws on.
cli="$build/cli/tamblo-cli.exe"
cases=$(mktemp -d)
failures=0
expect() {  # expect STATUS PATTERN COMMAND...: the exit status, and a pattern its output must hold
  local status=$1 pattern=$2 output actual
  shift 2
  output=$("$wine" "$cli" "$@" 2>&1) && actual=0 || actual=$?
  if [[ $actual -ne $status || "$output" != *"$pattern"* ]]; then
    echo "FAILED: tamblo-cli $* gave $actual (wanted $status) and:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
  fi
}
printf 'LOGMOUSEPOS:1:2\r\nMBUTTONUP:10:20\r\n' > "$cases/crlf.tbcode"
printf 'LOGMOUSEPOS:1:2\rKEYDOWN:1:2\r' > "$cases/cr.tbcode"
printf '#ok\n  \n' > "$cases/blank.tbcode"
printf 'LOGMOUSEPOS:100:100\nSLEEP:50:0:0:0:0\nLOGMOUSEPOS:321:234\n' > "$cases/move.tbcode"
expect 1 'crlf.tbcode:2: unknown keyword "MBUTTONUP" (the middle-button release is MBUTTONUNUP)' check "$cases/crlf.tbcode"
expect 1 'cr.tbcode:2: a key line needs x, y and a virtual-key code' check "$cases/cr.tbcode"
expect 1 'blank.tbcode:2: a line of blanks is not a comment' check "$cases/blank.tbcode"
expect 0 'coordinates: x 100 to 321, y 100 to 234' check "$cases/move.tbcode"
expect 2 'missing.tbcode: ' check "$cases/missing.tbcode"
expect 1 'crlf.tbcode:2: unknown keyword' play "$cases/crlf.tbcode"
expect 2 '--speed needs a factor from 0.1 to 10' play "$cases/move.tbcode" --speed 11
xdotool mousemove 5 5
expect 0 '' play "$cases/move.tbcode" --speed 2
pointer=$(xdotool getmouselocation --shell | tr '\n' ' ')
if [[ "$pointer" != "X=321 Y=234 "* ]]; then
  echo "FAILED: after tamblo-cli play the pointer is at $pointer, not 321,234" >&2
  failures=$((failures + 1))
fi
rm -rf "$cases"
((failures == 0)) || { echo "tamblo-cli.exe: $failures failures" >&2; exit 1; }
echo "tamblo-cli.exe: check and play under Wine passed"

if $run_benchmarks; then
  for bench in "$build"/bench/win32/*.exe "$build"/bench/colour/*.exe; do
    "$wine" "$bench"
  done
  # The playback's cadence once more, on the way of waiting kept for systems without the timer.
  TAMBLO_CADENCE_BENCH_WAIT=sleep "$wine" "$build/bench/win32/tamblo_win32_cadence_bench.exe"
  bench/win32/idle_cost.sh "$build"
fi
