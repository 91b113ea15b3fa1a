#!/usr/bin/env bash
# The sanitizer legs: the core and X11 tests under AddressSanitizer with UBSan, then the X11 and
# application tests under ThreadSanitizer. Each leg builds in a folder of its own (build/asan,
# build/tsan) and runs against a private Xvfb display. Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

common=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBLO_WARNINGS_AS_ERRORS=ON -DTAMBLO_BUILD_BENCHMARKS=OFF)
xvfb=(xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -nolisten tcp -noreset")

cmake -S . -B build/asan "${common[@]}" -DTAMBLO_SANITIZE=address,undefined -DTAMBLO_BUILD_APP=OFF
cmake --build build/asan --parallel --target tamblo_core_tests tamblo_x11_tests
ASAN_OPTIONS="abort_on_error=1:detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "${xvfb[@]}" ctest --test-dir build/asan --output-on-failure --timeout 300 -L 'core|x11'

cmake -S . -B build/tsan "${common[@]}" -DTAMBLO_SANITIZE=thread
cmake --build build/tsan --parallel --target tamblo_x11_tests tamblo_app_tests
TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tools/tsan.supp" \
  "${xvfb[@]}" ctest --test-dir build/tsan --output-on-failure --timeout 300 -L 'x11|app'
