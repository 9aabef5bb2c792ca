#!/usr/bin/env bash
# Photographs Brindlewave in each state (start, decoding, time line with a
# selection, saving, settings) into docs/, by running the end-to-end script
# with screenshots switched on. Needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs
E2E_SHOTS="$(pwd)/docs" bash tests/e2e/run.sh "${BUILD_DIR:-build}"
ls docs/*.png
