#!/bin/sh
# Renders every skin picture to PNG files (name.png at 100 %, name@2x.png at
# 200 %) in the folder given as the argument, so the artwork can be reviewed.
#
#   scripts/render-skin.sh OUTPUT-FOLDER
#
# Builds the small render tool first, in $BRINDLEWAVE_BUILD_DIR (default: the
# folder "build" beside the sources).
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 OUTPUT-FOLDER" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLEWAVE_BUILD_DIR:-$here/build}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target render_skin

QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/render_skin" "$1"
