#!/usr/bin/env bash
# Configures and builds Brindlewave into ./build (or $BUILD_DIR).
#   build.sh            everything: the program, its tests and benchmarks
#   build.sh program    only the program, the transcoder adapter and the
#                       completion sound: what running it needs
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ "${1:-}" = program ]; then
  cmake --build "$build" -j"$(nproc)" --target brindlewave coder completion_sound
else
  cmake --build "$build" -j"$(nproc)"
fi
