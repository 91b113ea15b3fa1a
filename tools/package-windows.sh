#!/usr/bin/env bash
# Builds the Windows downloads into build-win/: tamblo-<version>-win64.zip (portable: unpack and
# run) and tamblo-<version>-win64-setup.exe (a per-user installer made by CPack with NSIS). Uses the
# Windows build folder of tools/test-windows.sh; run that first, or this configures the folder with
# the toolchain and the window's Qt.
# Signed when a certificate is given: TAMBLO_SIGN_PFX names a PKCS#12 file, TAMBLO_SIGN_PASSWORD_FILE
# a file holding its password, and TAMBLO_SIGN_TIMESTAMP_URL, if set, a timestamping service.
# Usage: tools/package-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n "${TAMBLO_SIGN_PFX:-}${TAMBLO_SIGN_PASSWORD_FILE:-}" ]]; then
  for file in "${TAMBLO_SIGN_PFX:-}" "${TAMBLO_SIGN_PASSWORD_FILE:-}"; do
    [[ -r "$file" && -f "$file" ]] ||
      { echo "package-windows: TAMBLO_SIGN_PFX and TAMBLO_SIGN_PASSWORD_FILE must both name readable files" >&2; exit 1; }
  done
  # cpack and NSIS run the signing from other folders.
  TAMBLO_SIGN_PFX=$(realpath "$TAMBLO_SIGN_PFX")
  TAMBLO_SIGN_PASSWORD_FILE=$(realpath "$TAMBLO_SIGN_PASSWORD_FILE")
  export TAMBLO_SIGN_PFX TAMBLO_SIGN_PASSWORD_FILE
  echo "package-windows: signing with $TAMBLO_SIGN_PFX${TAMBLO_SIGN_TIMESTAMP_URL:+, timestamped by $TAMBLO_SIGN_TIMESTAMP_URL}"
else
  unset TAMBLO_SIGN_PFX TAMBLO_SIGN_PASSWORD_FILE
  echo "package-windows: no certificate given (TAMBLO_SIGN_PFX, TAMBLO_SIGN_PASSWORD_FILE): the downloads are unsigned"
fi

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
