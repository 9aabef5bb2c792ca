#!/usr/bin/env bash
# Installs what running Brindlewave needs and is missing, builds the program
# (no tests, no benchmarks), and starts it. Extra arguments (a media file to
# open) are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
bash scripts/build.sh program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: start Brindlewave from a desktop session (or under xvfb-run)." >&2
  exit 1
fi
exec "./${BUILD_DIR:-build}/brindlewave" "$@"
