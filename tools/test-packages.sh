#!/usr/bin/env bash
# Builds the Debian package and the Windows .zip from the install rules and checks them the way a
# user gets them: lintian; the .deb installed with apt, the command-line tool run on the installed
# examples, the installed window started on a private X display, the package removed without a
# trace; the .zip unpacked and its tamblo-cli.exe run under Wine. Installing needs root or sudo.
# Usage: tools/test-packages.sh   (after tools/test-windows.sh, whose build folder makes the .zip)
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh --windows

fail() {
  echo "test-packages: $*" >&2
  exit 1
}
SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=300 "$@"; }
on_private_display() {
  xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp" "$@"
}

version=$(sed -n 's/^project(tamblo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || fail "no version in CMakeLists.txt"
examples=()
for example in resources/examples/*.tbcode; do examples+=("$(basename "$example")"); done
# The command-line tool is in both packages as soon as its sources are.
with_cli=false
[[ -d cli ]] && with_cli=true

# ---- The Debian package: built for /usr (where it installs), with Debian's hardening flags ----
build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF \
  -DTAMBLO_BUILD_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
rm -f "$build"/tamblo_*.deb
cmake --build "$build" --parallel 2 --target package
debs=("$build"/tamblo_*.deb)
[[ ${#debs[@]} -eq 1 && -f "${debs[0]}" ]] || fail "expected one .deb in $build"
deb=${debs[0]}
echo "== $deb"

[[ $(dpkg-deb -f "$deb" Version) == "$version"-* ]] || fail "package version is not $version-<revision>"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt5widgets5* ]] || fail "no library dependencies: $depends"
[[ $depends == *fonts-wqy-microhei* ]] || fail "no CJK font dependency: $depends"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
expected=(/usr/bin/tamblo /usr/share/applications/tamblo.desktop /usr/share/man/man1/tamblo.1.gz
  /usr/share/doc/tamblo/README.md /usr/share/doc/tamblo/copyright
  /usr/share/doc/tamblo/changelog.Debian.gz
  /usr/share/doc/tamblo/screenshots/window.png /usr/share/doc/tamblo/screenshots/tray-menu.png)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/tamblo.png")
done
for example in "${examples[@]}"; do expected+=("/usr/share/doc/tamblo/examples/$example"); done
if $with_cli; then
  expected+=(/usr/bin/tamblo-cli /usr/share/man/man1/tamblo-cli.1.gz)
fi
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done

lintian --fail-on error --display-info "$deb"

# ---- Installed with apt, used, removed ----------------------------------------------------------
if dpkg-query -W -f='${Status}' tamblo 2>/dev/null | grep -q "ok installed"; then
  fail "tamblo is installed already; remove it first (apt-get purge tamblo)"
fi
installed=false
cleanup() {
  if $installed; then apt_get purge -y tamblo >/dev/null || true; fi
}
trap cleanup EXIT

installed=true
apt_get install -y "./$deb"
files="$build/installed-files.txt"
dpkg -L tamblo >"$files"
while read -r path; do
  [[ -e "$path" ]] || fail "$path is listed but was not installed"
done <"$files"

man -w tamblo >/dev/null || fail "man does not find tamblo(1)"
# The user's README: what tamblo does first, nothing a user of the package does not have.
! grep -q "tools/" /usr/share/doc/tamblo/README.md || fail "the installed README speaks of the source's tools/"
if $with_cli; then
  [[ $(/usr/bin/tamblo-cli --version) == *"$version"* ]] || fail "tamblo-cli --version does not say $version"
  /usr/bin/tamblo-cli check /usr/share/doc/tamblo/examples/*.tbcode
  man -w tamblo-cli >/dev/null || fail "man does not find tamblo-cli(1)"
  if grep -qx /usr/libexec/tamblo/tamblo-guardian "$files"; then
    # The installed layout works at run time: a playback finds the installed guardian.
    on_private_display env TAMBLO_DEBUG=1 /usr/bin/tamblo-cli play \
      /usr/share/doc/tamblo/examples/click.tbcode >"$build/play.log" 2>&1 ||
      fail "the installed tamblo-cli could not play an example: $(cat "$build/play.log")"
    if grep -q "no guardian process" "$build/play.log"; then
      fail "the installed tamblo-cli found no guardian: $(cat "$build/play.log")"
    fi
  fi
fi

# The installed window must come up: its own window mapped on a private display, then closed.
on_private_display bash -c '
  /usr/bin/tamblo &
  pid=$!
  if ! timeout 30 xdotool search --sync --onlyvisible --all --pid "$pid" --name Norrel >/dev/null; then
    kill "$pid" 2>/dev/null
    echo "test-packages: the installed tamblo mapped no window within 30 s" >&2
    exit 1
  fi
  kill "$pid" || { echo "test-packages: the installed tamblo ended by itself" >&2; exit 1; }
  wait "$pid" || true'
echo "== the installed tamblo showed its window"

apt_get purge -y tamblo
installed=false
if dpkg-query -W -f='${Status}' tamblo 2>/dev/null | grep -q "installed"; then
  fail "tamblo is still installed after purge"
fi
# Nothing of the package may stay: no file, and no folder that no other package owns.
while read -r path; do
  [[ "$path" == "/." ]] && continue
  if [[ -d "$path" && ! -L "$path" ]]; then
    dpkg -S "$path" >/dev/null 2>&1 || fail "$path stayed behind"
  elif [[ -e "$path" || -L "$path" ]]; then
    fail "$path stayed behind"
  fi
done <"$files"
echo "== installed, used and removed without a trace"

# ---- The Windows .zip ---------------------------------------------------------------------------
win_build=build-win
[[ -f "$win_build/CMakeCache.txt" ]] || fail "no Windows build in $win_build; run tools/test-windows.sh first"
rm -f "$win_build"/tamblo-cli-*-win64.zip
cmake --build "$win_build" --parallel 2 --target package
zip="$win_build/tamblo-cli-$version-win64.zip"
[[ -f "$zip" ]] || fail "$zip was not made"
echo "== $zip"

unpacked="$win_build/zip-check"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "../$(basename "$zip")")
root="$unpacked/tamblo-cli-$version-win64"
expected=(README.txt copyright.txt)
for example in "${examples[@]}"; do expected+=("examples/$example"); done
$with_cli && expected+=(tamblo-cli.exe tamblo-cli.txt)
for path in "${expected[@]}"; do
  [[ -f "$root/$path" ]] || fail "the .zip lacks $path"
done

if $with_cli; then
  # One file: only system DLLs, none of the MinGW runtime's (libstdc++, libgcc, libwinpthread).
  dlls=$(x86_64-w64-mingw32-objdump -p "$root/tamblo-cli.exe" | awk '/DLL Name:/ {print $3}')
  if grep -qi '^lib' <<<"$dlls"; then
    fail "tamblo-cli.exe needs DLLs beside it: $(grep -i '^lib' <<<"$dlls" | tr '\n' ' ')"
  fi
  export WINEPREFIX="$PWD/$win_build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
  (cd "$root" && on_private_display bash -c '
    out=$(/usr/lib/wine/wine64 tamblo-cli.exe --version) || exit 1
    [[ $out == *"$1"* ]] || { echo "test-packages: tamblo-cli.exe --version says: $out" >&2; exit 1; }
    /usr/lib/wine/wine64 tamblo-cli.exe check examples/*.tbcode' _ "$version")
  wineserver -k 2>/dev/null || true
  echo "== tamblo-cli.exe from the .zip checked the examples under Wine"
fi
