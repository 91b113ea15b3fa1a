#!/usr/bin/env bash
# Builds the Windows downloads into build-win/: tamblo-<version>-win64.zip (portable: unpack and
# run) and tamblo-<version>-win64-setup.exe (a per-user installer made by CPack with NSIS). Uses the
# Windows build folder of tools/test-windows.sh; run that first, or this configures the folder with
# the toolchain and the window's Qt.
# Usage: tools/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

build=build-win
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLO_WINDOWS_QT="$(tools/build-qt-windows.sh)"
fi
rm -f "$build"/tamblo-*-win64.zip "$build"/tamblo-*-win64-setup.exe
cmake --build "$build" --parallel 2
(cd "$build" && cpack)
ls -l "$build"/tamblo-*-win64.zip "$build"/tamblo-*-win64-setup.exe
