#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run and test tamblo.
# Usage: tools/install-deps.sh [--windows | --screenshots]
#   --windows adds the mingw-w64 + Wine leg; --screenshots what tools/screenshots.sh needs.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libx11-dev libxtst-dev libxi-dev xvfb xauth x11-xserver-utils xdotool
  qtbase5-dev qtbase5-dev-tools qttools5-dev-tools qttranslations5-l10n
  fonts-wqy-microhei   # a CJK font, so the Chinese texts do not show as boxes
  dpkg-dev file lintian groff-base   # the .deb: dependencies, checks, man pages as text
)
if [[ "${1:-}" == "--windows" ]]; then
  # The -posix compiler has std::thread/std::mutex; the mingw-w64 meta-package must not be used.
  # osslsigncode and openssl sign the downloads (and make the packages test's throwaway certificate).
  packages+=(g++-mingw-w64-x86-64-posix wine64 wine nsis osslsigncode openssl)
  # A Chinese system under Wine (ANSI code page 936) needs the zh_CN.UTF-8 locale.
  packages+=(locales)
fi
if [[ "${1:-}" == "--screenshots" ]]; then
  # A window manager, a system tray and a screen grabber for the README's pictures.
  packages+=(openbox trayer imagemagick)
fi

SUDO=""
[[ $(id -u) -ne 0 ]] && SUDO="sudo"
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

if [[ "${1:-}" == "--windows" ]] && ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
