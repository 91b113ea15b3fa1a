#!/usr/bin/env bash
# Builds the Windows downloads into build-win/: tamblo-<version>-win64.zip (portable: unpack and
# run) and tamblo-<version>-win64-setup.exe (a per-user installer made by CPack with NSIS). Uses the
# Windows build folder of tools/test-windows.sh, configuring it the same way when it is missing.
# Usage: tools/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

build=build-win
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLO_BUILD_APP=OFF -DTAMBLO_WARNINGS_AS_ERRORS=ON
fi
rm -f "$build"/tamblo-*-win64.zip "$build"/tamblo-*-win64-setup.exe
cmake --build "$build" --parallel 2
(cd "$build" && cpack)
ls -l "$build"/tamblo-*-win64.zip "$build"/tamblo-*-win64-setup.exe
