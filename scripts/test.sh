#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: the unit and
# widget tests (headless), the end-to-end run of the real program under Xvfb,
# the same program as a screen reader sees it through AT-SPI,
# and the Debian package's check (its files, fields and validators; under CI,
# or with PACKAGE_INSTALL=1, it also installs the package and starts it);
# then the unit and widget tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own (build-asan, or
# $BUILD_DIR-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build="${BUILD_DIR:-build}"
(cd "$build" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy ctest --output-on-failure -j2)
if [ -x tests/e2e/run.sh ]; then
  bash tests/e2e/run.sh "$build"
fi
if [ -x tests/e2e/a11y.sh ]; then
  bash tests/e2e/a11y.sh "$build"
fi
if [ "${PACKAGE_INSTALL:-}" = 1 ]; then
  bash tests/package/check.sh --install
else
  bash tests/package/check.sh
fi

# The sanitizer build leaves out the benchmarks, which no test runs. A memory
# error, a leak or undefined behaviour ends the program that has it with a
# report and a failing status, and so fails its test. The transcoder adapter is
# built the same way, so the tests that run it check it too.
asan="$build-asan"
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRINDLEWAVE_SANITIZE=ON -DBRINDLEWAVE_BENCHMARKS=OFF >/dev/null
cmake --build "$asan" -j"$(nproc)"
(cd "$asan" && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j2)
