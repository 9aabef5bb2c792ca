#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the unit and
# widget tests (headless) and the end-to-end run of the real program under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build="${BUILD_DIR:-build}"
(cd "$build" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ctest --output-on-failure -j2)
if [ -x tests/e2e/run.sh ]; then
  bash tests/e2e/run.sh "$build"
fi
