#!/usr/bin/env bash
# Builds a static Qt 5 for 64-bit Windows from Debian's own source of the Qt the Linux build uses,
# with the same -posix mingw-w64 compiler as the rest of the Windows build, and prints its prefix.
# Only the parts the window needs are built. The result lives in a cache folder outside the clone,
# keyed by the Qt version and the build options, and is reused once complete: only the first run
# on a machine pays (about 17 minutes on 2 cores).
# Usage: tools/build-qt-windows.sh   (progress goes to stderr, the prefix alone to stdout)
set -euo pipefail

version=$(dpkg-query -W -f='${source:Version}' qtbase5-dev)
configure_options=(
  -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
  -static -release -optimize-size -opensource -confirm-license -nomake examples -nomake tests
  -no-opengl -no-dbus -no-icu -no-openssl -qt-zlib -qt-libpng -no-libjpeg -no-freetype
  -qt-harfbuzz -qt-pcre -no-feature-concurrent
  # Debian's source lacks wintab.h, which tablet support needs.
  -no-feature-tabletevent
)
# QtNetwork carries the single-instance socket; moc, rcc and uic are what Qt's CMake files ask for.
modules=(winmain corelib gui platformsupport widgets network)
host_tools=(tools/moc tools/rcc tools/uic)
# Built along with the modules, and installed for them: bundled libraries and platform headers.
companions=(3rdparty/pcre2 3rdparty/libpng 3rdparty/harfbuzz-ng platformheaders)
plugins=(plugins/platforms/windows plugins/styles/windowsvista)

key=$(printf '%s\n' "${configure_options[@]}" -- "${modules[@]}" -- "${host_tools[@]}" -- "${plugins[@]}" |
  sha256sum | cut -c1-12)
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tamblo"
prefix="$cache/qt5-win64-$version-$key"
stamp="$prefix/.complete"

mkdir -p "$cache"
# Two runs at once (a developer and CI) build it once.
exec 9>"$cache/.qt5-win64.lock"
flock 9
if [[ -f "$stamp" ]]; then
  echo "$prefix"
  exit 0
fi

log() { echo "build-qt-windows: $*" >&2; }

# The work folder survives a failed or interrupted run, so the next run carries on where it stopped.
work="$prefix.build"
mkdir -p "$work"
cd "$work"

if [[ ! -f fetched ]]; then
  # A private apt configuration with a deb-src entry: the system's sources and lists stay as they are.
  apt_dir="$cache/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d"
  cat >"$apt_dir/sources.list" <<'EOF2'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
EOF2
  apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir"
    -o "Dir::Cache::Archives=$apt_dir/archives"
  )
  # As root, apt's download user could not write into a private folder under root's home.
  [[ $(id -u) -ne 0 ]] || apt_options+=(-o APT::Sandbox::User=root)
  log "fetching qtbase-opensource-src $version"
  rm -rf qtbase-opensource-src*
  apt-get "${apt_options[@]}" update >&2
  apt-get "${apt_options[@]}" source "qtbase-opensource-src=$version" >&2
  touch fetched
fi
source_dir=$(find "$PWD" -maxdepth 1 -type d -name 'qtbase-opensource-src-*' | head -n1)
[[ -n "$source_dir" ]] || { log "apt-get source left no source folder"; exit 1; }

# win32-g++ names the compilers by the cross prefix alone; these names pick the -posix variants,
# which have std::thread and std::mutex, whatever the system's alternatives say.
mkdir -p compilers
ln -sf /usr/bin/x86_64-w64-mingw32-gcc-posix compilers/x86_64-w64-mingw32-gcc
ln -sf /usr/bin/x86_64-w64-mingw32-g++-posix compilers/x86_64-w64-mingw32-g++
export PATH="$PWD/compilers:$PATH"

jobs=$(nproc)
export MAKEFLAGS="-j$jobs"
mkdir -p build
cd build
if [[ ! -f ../configured ]]; then
  log "configuring"
  "$source_dir/configure" -prefix "$prefix" "${configure_options[@]}" >&2
  touch ../configured
fi
[[ -f src/Makefile ]] || make sub-src-qmake_all >&2
log "building ${modules[*]}, ${host_tools[*]} and ${plugins[*]}"
make -C src "${modules[@]/#/sub-}" >&2
make -C src sub-plugins-qmake_all >&2
for dir in "${plugins[@]}"; do
  make -C "src/$dir" >&2
done
log "installing into $prefix"
make sub-qmake-qmake-aux-pro-install_subtargets install_mkspecs >&2
for dir in "${host_tools[@]}" "${companions[@]}" "${modules[@]}" "${plugins[@]}"; do
  make -C "src/$dir" install >&2
done

cd "$cache"
rm -rf "$work"
touch "$stamp"
log "done"
echo "$prefix"
