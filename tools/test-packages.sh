#!/usr/bin/env bash
# Builds the Debian package and the Windows downloads from the install rules and checks them the
# way a user gets them: lintian; the .deb installed with apt, the command-line tool run on the
# installed examples, the installed window started on a private X display, the package removed
# without a trace; the Windows downloads signed with a throwaway certificate; under Wine, the .zip
# unpacked and its tamblo-cli.exe run, the installer run silently for the user, again over a running
# tamblo.exe (which keeps its recording), the installed tamblo-cli.exe playing with the installed
# guardian, the uninstaller run silently while tamblo.exe runs, leaving nothing. Installing the .deb
# needs root or sudo.
# Usage: tools/test-packages.sh   (after tools/test-windows.sh, whose build folder it packages)
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

# ---- The Windows downloads: the .zip and the installer ------------------------------------------
win_build=build-win
[[ -f "$win_build/CMakeCache.txt" ]] || fail "no Windows build in $win_build; run tools/test-windows.sh first"
# Signed as a release is, with a self-signed certificate made for this run.
signing="$win_build/signing"
rm -rf "$signing" && mkdir -p "$signing"
openssl rand -hex 16 >"$signing/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=tamblo test signing" \
  -keyout "$signing/key.pem" -out "$signing/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/certificate.pem" \
  -passout "file:$signing/password" -out "$signing/certificate.pfx"
TAMBLO_SIGN_PFX="$signing/certificate.pfx" TAMBLO_SIGN_PASSWORD_FILE="$signing/password" tools/package-windows.sh
zip="$win_build/tamblo-$version-win64.zip"
setup="$win_build/tamblo-$version-win64-setup.exe"
[[ -f "$zip" && -f "$setup" ]] || fail "$zip and $setup were not both made"
echo "== $zip, $setup"

# A program that starts tamblo.exe's recording as another process would (0x464); its boxes share
# the window's title and ignore the message, so every window of that title is told.
record_switch="$win_build/record-switch.exe"
cat >"$signing/record-switch.c" <<'C'
#include <windows.h>
static BOOL CALLBACK tell(HWND window, LPARAM told)
{
    wchar_t title[64];
    if (GetWindowTextW(window, title, 64) && !lstrcmpW(title, L"Norrel\u9f20\u6807\u81ea\u52a8\u70b9\u51fb\u56681008"))
        *(int*)told += PostMessageW(window, 0x464, 1, 0);
    return TRUE;
}
int main(void) { int told = 0; EnumWindows(tell, (LPARAM)&told); return !told; }
C
x86_64-w64-mingw32-gcc -O2 -o "$record_switch" "$signing/record-switch.c"

# What both hold; the window and Qt's licence texts once the build makes tamblo.exe.
expected=(README.txt copyright.txt tamblo-guardian.exe screenshots/window.png screenshots/tray-menu.png)
for example in "${examples[@]}"; do expected+=("examples/$example"); done
$with_cli && expected+=(tamblo-cli.exe tamblo-cli.txt)
with_window=false
[[ -f "$win_build/app/tamblo.exe" ]] && with_window=true
$with_window && expected+=(tamblo.exe LGPL-3.txt GPL-3.txt)

unpacked="$win_build/zip-check"
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "../$(basename "$zip")")

# Under Wine on a private display: the .zip's files and its tamblo-cli.exe; the installer, silently
# (/S), per user; the installed files, and tamblo-cli.exe playing with the installed guardian; the
# uninstaller, silently, leaving nothing behind.
export WINEPREFIX="$PWD/$win_build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
on_private_display bash -s "$version" "$with_cli" "$with_window" "${expected[*]}" "$(realpath "$setup")" \
  "$unpacked/tamblo-$version-win64" "$(realpath "$record_switch")" "$(realpath "$signing")" <<'SCRIPT'
set -euo pipefail
version=$1 with_cli=$2 with_window=$3 expected=$4 setup=$5 zip_root=$6 record_switch=$7 signing=$8
wine=/usr/lib/wine/wine64
fail() {
  echo "test-packages: $*" >&2
  exit 1
}
signed() {  # signed FILE: it carries a valid signature by the throwaway certificate
  osslsigncode verify -CAfile "$signing/certificate.pem" -in "$1" >"$signing/verify.log" 2>&1 ||
    fail "$(basename "$1") is not signed: $(tail -n 3 "$signing/verify.log")"
}
signed "$setup"
check_files() {  # check_files FOLDER WHAT [EXTRA...]: the expected files and EXTRA, nothing else;
  # each program signed, with its version and manifest, and needing no DLL beside it
  local path dlls
  diff <(printf '%s\n' $expected "${@:3}" | sort) <(cd "$1" && find . -type f | sed 's|^\./||' | sort) >&2 ||
    fail "$2 does not hold just the expected files (< missing, > extra)"
  for path in "$1"/*.exe; do
    dlls=$(x86_64-w64-mingw32-objdump -p "$path" | awk '/DLL Name:/ {print $3}')
    if grep -qi '^lib' <<<"$dlls"; then
      fail "$(basename "$path") in $2 needs DLLs beside it: $(grep -i '^lib' <<<"$dlls" | tr '\n' ' ')"
    fi
    signed "$path"
    [[ $(basename "$path") == uninstall.exe ]] && continue
    strings -el "$path" | grep -qx "$version" || fail "$(basename "$path") in $2 has no version $version"
    grep -q "requestedExecutionLevel" "$path" || fail "$(basename "$path") in $2 has no manifest"
  done
  [[ $(head -n1 "$1/README.txt") == "tamblo 使用说明" ]] || fail "$2: README.txt does not begin with the quick start"
  grep -qx "# tamblo" "$1/README.txt" || fail "$2: README.txt lacks the README"
  ! grep -q "tools/" "$1/README.txt" || fail "$2: README.txt speaks of the source's tools/"
  if $with_window; then
    grep -q "qtbase-opensource-src" "$1/copyright.txt" || fail "$2: copyright.txt does not name Qt's source"
  fi
}

check_files "$zip_root" "the .zip"
if $with_cli; then
  out=$(cd "$zip_root" && $wine tamblo-cli.exe --version) || fail "tamblo-cli.exe from the .zip did not start"
  [[ $out == *"$version"* ]] || fail "tamblo-cli.exe --version says: $out"
  (cd "$zip_root" && $wine tamblo-cli.exe check examples/*.tbcode)
fi
echo "== the .zip holds what it should; its tamblo-cli.exe checked the examples under Wine"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tamblo'
$wine "$setup" /S || fail "the silent install failed"
local_data=$(winepath -u "$($wine cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')")
start_menu=$(winepath -u "$($wine cmd /c 'echo %APPDATA%' | tr -d '\r')")"/Microsoft/Windows/Start Menu/Programs/tamblo"
installed="$local_data/Programs/tamblo"
check_files "$installed" "the installed tamblo" uninstall.exe
ls "$start_menu"/*.lnk >/dev/null 2>&1 || fail "no Start menu entry in $start_menu"
if $with_window; then
  [[ -f "$start_menu/tamblo.lnk" ]] || fail "no Start menu entry for tamblo.exe"
fi
uninstall=$($wine reg query "$key" /v UninstallString | tr -d '\r' | grep -o '"[^"]*"') ||
  fail "no uninstaller registered under $key"
[[ $uninstall == *'\Programs\tamblo\uninstall.exe"' ]] || fail "the registered uninstaller is $uninstall"
echo "== the installer put the files, a Start menu entry and an uninstaller in place for this user"

start_window() {  # the installed window comes up on the display Wine draws on
  (cd "$installed" && exec $wine tamblo.exe) &
  window=$!
  timeout 60 xdotool search --sync --onlyvisible --name Norrel >/dev/null ||
    fail "the installed tamblo.exe showed no window within 60 s"
}
window_ended() {  # window_ended WHAT: the window's program has ended (within 10 s)
  timeout 10 tail --pid="$window" -f /dev/null || fail "tamblo.exe still runs after $1"
}
recovered() { compgen -G "$local_data/tamblo/recovered-*.tbcode" || true; }

if $with_window; then
  start_window
  echo "== the installed tamblo.exe showed its window"
  # Installing over it closes it first, as 退出 does: its unsaved recording is kept.
  $wine "$record_switch" && sleep 1 || fail "could not tell tamblo.exe to record"
  $wine "$setup" /S || fail "the silent install over a running tamblo.exe failed"
  window_ended "the install over it"
  [[ -n "$(recovered)" ]] || fail "installing over a recording tamblo.exe lost the recording"
  rm -f $(recovered)
  check_files "$installed" "tamblo installed over a running one" uninstall.exe
  echo "== installing over a running tamblo.exe closed it, and its recording was kept"
fi

if $with_cli; then
  # The installed layout works: a playback finds the guardian beside the installed program.
  (cd "$installed" && $wine tamblo-cli.exe play examples/pause.tbcode) &
  player=$!
  guardian=""
  for _ in $(seq 100); do
    guardian=$(pgrep -af 'Programs\\tamblo\\tamblo-guardian\.exe' || true)
    [[ -n "$guardian" ]] && break
    sleep 0.05
  done
  wait "$player" || fail "the installed tamblo-cli.exe could not play an example"
  [[ -n "$guardian" ]] || fail "the installed tamblo-cli.exe did not start the installed guardian"
  echo "== the installed tamblo-cli.exe played an example with the installed guardian"
fi

! $with_window || start_window
$wine "$installed/uninstall.exe" /S || fail "the silent uninstall failed"
! $with_window || window_ended "the uninstall"
[[ -z "$(recovered)" ]] || fail "the uninstall left a recovered script with nothing in it: $(recovered)"
# The uninstaller goes on from a copy of itself, so that it can remove the original.
for _ in $(seq 100); do
  [[ -e "$installed" || -e "$start_menu" ]] || break
  sleep 0.1
done
[[ ! -e "$installed" ]] || fail "the uninstaller left $(find "$installed" | tr '\n' ' ')"
[[ ! -e "$start_menu" ]] || fail "the uninstaller left the Start menu folder"
if $wine reg query "$key" >/dev/null 2>&1; then fail "the uninstaller left $key"; fi
echo "== the uninstaller closed tamblo.exe and removed the files, the Start menu entry and the registration"
SCRIPT
wineserver -k 2>/dev/null || true
