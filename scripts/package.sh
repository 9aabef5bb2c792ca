#!/usr/bin/env bash
# Builds the Debian package dist/brindlewave_<version>_<arch>.deb with CPack, in
# a build folder of its own (build-package, or $PACKAGE_BUILD_DIR), with
# Debian's compiler and linker hardening flags. Installs nothing; install the
# result with `sudo apt-get install ./dist/brindlewave_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
here="$(pwd)"
bash scripts/install-deps.sh
umask 022

build="${PACKAGE_BUILD_DIR:-build-package}"
dist="$here/dist"
jobs="$(nproc)"
[ "$jobs" -le 2 ] || jobs=2

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cflags="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

# CPack installs under /usr whatever the build's own prefix; the program folder
# is lib/brindlewave there, not the multiarch library folder GNUInstallDirs
# picks for a /usr prefix. Only what the package carries is built (no tests, no
# benchmarks): the install step does not build the rest first, and an
# installed file whose target is missing from this list stops the packaging
# with an error.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_LIBDIR=lib \
  -DBRINDLEWAVE_BENCHMARKS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_C_FLAGS="$cflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_STRIP="$here/packaging/strip.sh" >/dev/null
cmake --build "$build" -j"$jobs" --target brindlewave coder completion_sound skin_pictures

rm -rf "$build/_CPack_Packages"
rm -f "$build"/brindlewave_*.deb
(cd "$build" && cpack -G DEB)
mkdir -p "$dist"
shopt -s nullglob
debs=("$build"/brindlewave_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "package.sh: expected one package in $build, found ${#debs[@]}" >&2; exit 1; }
rm -f "$dist"/brindlewave_*.deb
cp "${debs[0]}" "$dist/"
echo "$dist/$(basename "${debs[0]}")"
