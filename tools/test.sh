#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors, and runs every test.
# The X11 and application tests run against a private Xvfb display; the sanitizer legs and the
# Windows leg (mingw-w64 cross-build, tests under Wine) follow.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLO_WARNINGS_AS_ERRORS=ON
cmake --build "$build" --parallel
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp -noreset" \
  ctest --test-dir "$build" --output-on-failure --timeout 300

# The sanitizer legs: ThreadSanitizer, AddressSanitizer and UBSan, each in a build of its own.
tools/test-sanitizers.sh

# The Windows leg: the core and the Win32 backend, cross-built and run under Wine.
tools/test-windows.sh
