#!/usr/bin/env bash
# Installs what is needed, builds tamblo and starts it on the current X display.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTAMBLO_BUILD_BENCHMARKS=OFF
cmake --build "$build" --parallel --target tamblo
exec "$build/app/tamblo" "$@"
