#!/usr/bin/env bash
# What the Windows programs cost while idle under Wine, seen from Linux (Wine reports no CPU times
# nor private bytes for other processes): CPU over five seconds and resident memory of tamblo.exe,
# a bare Qt window with a 1 ms timer, and tamblo-cli.exe recording. Needs DISPLAY and WINEPREFIX
# as tools/test-windows.sh sets them. Usage: bench/win32/idle_cost.sh <build-win folder>
set -euo pipefail
build=$1
ticks=$(getconf CLK_TCK)
measure() {  # measure NAME EXE ARGUMENTS...
  local name=$1 exe=$2 pid
  shift 2
  /usr/lib/wine/wine64 "$exe" "$@" >/dev/null 2>&1 &
  sleep 3
  pid=$(pgrep -n -f "$(basename "$exe")")
  read -r -a before < <(cut -d' ' -f14,15 "/proc/$pid/stat")
  sleep 5
  read -r -a after < <(cut -d' ' -f14,15 "/proc/$pid/stat")
  local used=$((after[0] + after[1] - before[0] - before[1]))
  printf '%-16s idle CPU %5.1f %%   resident %6.1f MB\n' "$name" "$(awk "BEGIN {print $used * 100 / $ticks / 5}")" \
    "$(awk '/VmRSS/ {print $2 / 1024}' "/proc/$pid/status")"
  kill "$pid"
  wait 2>/dev/null || true
}
measure tamblo.exe "$build/app/tamblo.exe"
measure "bare Qt window" "$build/bench/win32/subjects/tamblo_bare_qt_window.exe"
measure tamblo-cli.exe "$build/cli/tamblo-cli.exe" record "$(mktemp -u).tbcode"
