#!/usr/bin/env bash
# The Debian package: builds it (scripts/package.sh) and checks what it
# carries, its control fields, that its versions agree, and that
# desktop-file-validate, appstreamcli and lintian find no error in it.
#
#   tests/package/check.sh [--install]
#
# With --install, or when CI=true, it also installs the package on this
# machine (apt-get, as root or through sudo), starts /usr/bin/brindlewave
# under Xvfb as an unprivileged user, waits for the main window, ends the
# program with SIGTERM and checks that it exits with 0, that the settings it
# saves on the way went to $XDG_CONFIG_HOME and that nothing was written into
# the program folder /usr/lib/brindlewave. The package stays installed
# afterwards.
set -euo pipefail
cd "$(dirname "$0")/../.."
root="$(pwd)"

usage() { echo "usage: $0 [--install]" >&2; }
install=0
for arg in "$@"; do
  case "$arg" in
    --install) install=1 ;;
    -h|--help) usage; exit 0 ;;
    *) usage; exit 2 ;;
  esac
done
[ "${CI:-}" = true ] && install=1

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "package: ok: $*"; }
fail() { failed=$((failed + 1)); echo "package: FAIL: $*" >&2; }
check() {  # description command...
  local what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ] && exit 0
  exit 1
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# --- the package file ------------------------------------------------------
version="$(sed -n 's/^project(Brindlewave VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)"
arch="$(dpkg --print-architecture)"
[ -n "$version" ] || { fail "the project's version is not found in CMakeLists.txt"; finish; }
deb="dist/brindlewave_${version}_${arch}.deb"
build="${PACKAGE_BUILD_DIR:-build-package}"

rm -f dist/brindlewave_*.deb
if ! bash scripts/package.sh; then
  fail "scripts/package.sh"
  finish
fi
if [ ! -f "$deb" ]; then
  fail "scripts/package.sh made $deb (dist/ holds: $(ls dist 2>/dev/null | tr '\n' ' '))"
  finish
fi
pass "scripts/package.sh made $deb"

# --- contents --------------------------------------------------------------
dpkg-deb -c "$deb" > "$work/listing"
# type, mode and path of every entry, the path without its leading "."
awk '{ p = $6; sub(/^\./, "", p); print substr($1, 1, 1), $1, p }' "$work/listing" > "$work/entries"
tree="$work/tree"
dpkg-deb -x "$deb" "$tree"

has_file() {  # path [executable]
  grep -q "^- [^ ]* $1\$" "$work/entries" || return 1
  [ "${2:-}" != executable ] || grep -q "^- -rwxr-xr-x $1\$" "$work/entries"
}
check "the program /usr/lib/brindlewave/brindlewave, executable" \
  has_file /usr/lib/brindlewave/brindlewave executable
check "the adapter /usr/lib/brindlewave/data/coder, executable" \
  has_file /usr/lib/brindlewave/data/coder executable
check "ELF programs for $arch" \
  bash -c 'for f in "$@"; do file -b "$f" | grep -q "^ELF .*executable" || exit 1; done' _ \
  "$tree/usr/lib/brindlewave/brindlewave" "$tree/usr/lib/brindlewave/data/coder"
check "the completion sound /usr/lib/brindlewave/sound.wav, a WAVE file" \
  bash -c 'has() { grep -q "^- [^ ]* $1\$" "$2"; }; has /usr/lib/brindlewave/sound.wav "$1" &&
           file -b "$2" | grep -q "WAVE audio"' _ "$work/entries" "$tree/usr/lib/brindlewave/sound.wav"

command_target() {
  local cmd="$tree/usr/bin/brindlewave"
  if [ -L "$cmd" ]; then
    # relative, so that it holds wherever the tree is unpacked
    case "$(readlink "$cmd")" in /*) return 1 ;; esac
    [ "$(readlink -f "$cmd")" = "$(readlink -f "$tree/usr/lib/brindlewave/brindlewave")" ]
  else
    [ -x "$cmd" ] && grep -q "/usr/lib/brindlewave/brindlewave" "$cmd"
  fi
}
check "the command /usr/bin/brindlewave starts /usr/lib/brindlewave/brindlewave" command_target

check "the desktop entry /usr/share/applications/brindlewave.desktop" \
  has_file /usr/share/applications/brindlewave.desktop
metainfo=/usr/share/metainfo/io.github.brindlewave.Brindlewave.metainfo.xml
check "the AppStream metainfo $metainfo" has_file "$metainfo"
check "the manual page /usr/share/man/man1/brindlewave.1.gz" \
  has_file /usr/share/man/man1/brindlewave.1.gz
check "the copyright /usr/share/doc/brindlewave/copyright" \
  has_file /usr/share/doc/brindlewave/copyright
check "the changelog /usr/share/doc/brindlewave/changelog.gz" \
  has_file /usr/share/doc/brindlewave/changelog.gz

# Every size the build renders the program icon at (icon<n>.png; the @2x
# pictures are the same sizes at twice the density) is installed, and each
# file has the size its folder names.
icons_match() {
  local sizes=() png n
  for png in "$build"/skin-pictures/icon*.png; do
    n="$(basename "$png" .png)"; n="${n#icon}"
    [[ "$n" =~ ^[0-9]+$ ]] && sizes+=("$n")
  done
  [ ${#sizes[@]} -gt 0 ] || { echo "no icon rendered in $build/skin-pictures" >&2; return 1; }
  local ok=0 largest=0
  for n in "${sizes[@]}"; do
    png="$tree/usr/share/icons/hicolor/${n}x${n}/apps/brindlewave.png"
    if [ ! -f "$png" ]; then
      echo "missing: /usr/share/icons/hicolor/${n}x${n}/apps/brindlewave.png" >&2; ok=1
    elif ! file -b "$png" | grep -q "^PNG image data, $n x $n,"; then
      echo "not ${n}x${n}: $(file -b "$png")" >&2; ok=1
    fi
    [ "$n" -gt "$largest" ] && largest=$n
  done
  # software centres and launchers want them sharp at 256x256
  [ "$largest" -ge 256 ] || { echo "largest icon is ${largest}x${largest}" >&2; ok=1; }
  echo "icon sizes: ${sizes[*]}"
  return $ok
}
check "the icons at every rendered size in /usr/share/icons/hicolor" icons_match
svg=/usr/share/icons/hicolor/scalable/apps/brindlewave.svg
check "the scalable icon $svg, an SVG that draws" \
  bash -c 'grep -q "^- [^ ]* $1\$" "$2" && rsvg-convert -w 64 "$3" | file - | grep -q "PNG image data, 64 x 64"' _ "$svg" "$work/entries" "$tree$svg"

# The desktop entry claims every kind of file the open dialog offers, and
# asks for startup notification.
desktop="$tree/usr/share/applications/brindlewave.desktop"
check "the desktop entry asks for startup notification" grep -qx "StartupNotify=true" "$desktop"
for type in audio/mpeg audio/mp4 audio/x-m4a audio/aac audio/ogg audio/x-vorbis+ogg audio/opus audio/flac \
            audio/x-wav audio/x-ms-wma audio/amr video/mp4 video/webm video/x-matroska video/x-msvideo \
            video/quicktime video/x-ms-wmv video/3gpp; do
  check "the desktop entry opens $type" bash -c 'grep "^MimeType=" "$1" | tr ";=" "\n\n" | grep -qx "$2"' _ "$desktop" "$type"
done

check "everything lies under /usr" \
  bash -c '! awk "\$3 != \"/\" && \$3 !~ /^\/usr\//" "$1" | grep .' _ "$work/entries"
check "nothing in the package is writable by group or others" \
  bash -c '! awk "\$1 != \"l\" && (substr(\$2, 6, 1) == \"w\" || substr(\$2, 9, 1) == \"w\")" "$1" | grep .' _ "$work/entries"

# --- control fields --------------------------------------------------------
field() { dpkg-deb -f "$deb" "$1"; }
names() {  # the package names of a relation field, one a line
  field "$1" | tr ',|' '\n\n' | sed 's/(.*)//; s/\[.*\]//; s/^ *//; s/ *$//' | grep .
}
dpkg-deb -f "$deb"
check "Package: brindlewave" test "$(field Package)" = brindlewave
check "Version: $version" test "$(field Version)" = "$version"
check "Architecture: $arch" test "$(field Architecture)" = "$arch"
check "Section: sound" test "$(field Section)" = sound
check "a Maintainer with an address" bash -c '[[ "$1" =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]]' _ "$(field Maintainer)"
check "an https Homepage" bash -c '[[ "$1" =~ ^https:// ]]' _ "$(field Homepage)"
check "a short and a long description" \
  bash -c '[ "$(printf "%s\n" "$1" | wc -l)" -ge 3 ]' _ "$(field Description)"
names Depends > "$work/depends" || true
names Recommends > "$work/recommends" || true
for dep in ffmpeg libqt6widgets6 libqt6gui6 libqt6core6 libsdl2-2.0-0 libsndfile1 libebur128-1; do
  check "Depends names $dep" grep -qx "$dep" "$work/depends"
done
check "Recommends names libavcodec-extra" grep -qx libavcodec-extra "$work/recommends"
check "Recommends names xdg-utils (the notice's links)" grep -qx xdg-utils "$work/recommends"
check "Depends names a font with Chinese glyphs" grep -qx fonts-noto-cjk "$work/depends"

# --- versions agree ---------------------------------------------------------
changelog_version="$(zcat "$tree/usr/share/doc/brindlewave/changelog.gz" | dpkg-parsechangelog -l- -SVersion || true)"
check "the changelog's newest entry is $version (it is $changelog_version)" \
  test "$changelog_version" = "$version"
release_version="$(grep -o '<release [^>]*version="[^"]*"' "$tree$metainfo" | head -n1 | sed 's/.*version="\([^"]*\)"/\1/' || true)"
check "the metainfo's newest release is $version (it is $release_version)" \
  test "$release_version" = "$version"
check "the manual page is of version $version" \
  bash -c 'zcat "$1" | grep -q "^\.TH BRINDLEWAVE 1 .*\"Brindlewave $2\""' _ \
  "$tree/usr/share/man/man1/brindlewave.1.gz" "$version"
check "the metainfo's id names its file and its launchable is the packaged desktop entry" \
  bash -c 'grep -q "<id>io.github.brindlewave.Brindlewave</id>" "$1" &&
           grep -q "<launchable type=\"desktop-id\">brindlewave.desktop</launchable>" "$1"' _ "$tree$metainfo"

# What a software centre needs beyond what appstreamcli insists on.
meta_has() { grep -q -- "$1" "$tree$metainfo"; }
check "the metainfo has a summary and a description" \
  bash -c 'grep -q "<summary>[^<]" "$1" && grep -q "<description>" "$1"' _ "$tree$metainfo"
check "the metainfo has an OARS 1.1 content rating" meta_has '<content_rating type="oars-1.1"'
check "the metainfo shows a PNG screenshot at an https address" \
  meta_has '<image[^>]*>https://[^<]*\.png</image>'
check "the metainfo provides the binary brindlewave" meta_has '<binary>brindlewave</binary>'
check "the metainfo names the project's licence MIT" meta_has '<project_license>MIT</project_license>'
check "the copyright is machine-readable and grants the Expat (MIT) licence" \
  bash -c 'head -n1 "$1" | grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" &&
           grep -q "^License: Expat\$" "$1"' _ "$tree/usr/share/doc/brindlewave/copyright"

# --- validators ------------------------------------------------------------
validator() {  # description command...: shows the output; the command's status decides
  local what="$1" out status=0; shift
  out="$("$@" 2>&1)" || status=$?
  echo "\$ $*"
  [ -z "$out" ] || printf '%s\n' "$out"
  if [ "$status" -eq 0 ]; then pass "$what"; else fail "$what (exit status $status)"; fi
}
validator "desktop-file-validate finds no error in the desktop entry" \
  desktop-file-validate "$tree/usr/share/applications/brindlewave.desktop"
# appstreamcli fails on warnings too; validate-tree also checks that the
# launchable desktop entry is in the package.
validator "appstreamcli validate --pedantic passes the metainfo" \
  appstreamcli validate --pedantic --no-net "$tree$metainfo"
# Its screenshots are pictures kept in docs/ (made by scripts/appstream-shots.sh
# from music in a user's folder).
screenshots_ok() {
  local ok=0 name
  for name in $(grep -o '<image[^>]*>[^<]*</image>' "$1" | sed 's|.*/docs/\([^<]*\)</image>|\1|'); do
    [ -f "docs/$name" ] || { echo "no docs/$name" >&2; ok=1; }
  done
  return $ok
}
check "the metainfo's screenshots are pictures in docs/" screenshots_ok "$tree$metainfo"
validator "appstreamcli validate-tree passes the package's files" \
  appstreamcli validate-tree --no-net "$tree"
validator "lintian finds no error" lintian --fail-on error "$deb"

# --- installed, started by a normal user -------------------------------------
if [ "$install" -ne 1 ]; then
  echo "package: not installed (run with --install, or CI=true, to install it and start it)"
  finish
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --reinstall "./$deb"; then
  fail "apt-get install ./$deb"
  finish
fi
check "dpkg knows brindlewave $version as installed" \
  test "$(dpkg-query -W -f='${Status} ${Version}' brindlewave)" = "install ok installed $version"
check "/usr/bin/brindlewave leads to /usr/lib/brindlewave/brindlewave" \
  test "$(readlink -f /usr/bin/brindlewave)" = /usr/lib/brindlewave/brindlewave

# The program runs as a user who cannot write to the program folder: root as
# "nobody", anyone else as themselves. Its home, settings and cache are a
# scratch folder of that user's.
home="$work/home"
mkdir -p "$home/config" "$home/cache" "$home/runtime"
chmod 755 "$work"
chmod 700 "$home/runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$home"
  if command -v setpriv >/dev/null; then
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  else
    as_user=(runuser -u nobody --)
  fi
fi
check "the user who starts the program cannot write to /usr/lib/brindlewave" \
  "${as_user[@]}" sh -c '! test -w /usr/lib/brindlewave'

snapshot() { find /usr/lib/brindlewave -printf '%p %y %m %s %T@\n' | sort; }
snapshot > "$work/before"

cat > "$work/run-window.sh" <<'EOS'
#!/usr/bin/env bash
# Inside Xvfb: starts the installed program, waits for its main window, saves
# the settings, ends the program with SIGTERM; prints "window",
# "settings dialog", then "exit <status>".
set -uo pipefail
home="$1"; shift
cp "${XAUTHORITY:?}" "$home/Xauthority"
[ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$home/Xauthority"
"$@" env HOME="$home" XAUTHORITY="$home/Xauthority" XDG_CONFIG_HOME="$home/config" \
  XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" \
  QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy BRINDLEWAVE_LANG=zh /usr/bin/brindlewave &
app=$!
win="$(timeout 90 xdotool search --sync --onlyvisible --name '^Brindlewave$' 2>/dev/null | head -n1)"
if [ -n "$win" ]; then
  echo "window $win"
  # The settings dialog (the monitor button in the tool bar), closed with OK,
  # writes setup.ini: into the program folder only if this user may write there.
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool mousemove --sync $((X + 248)) $((Y + 81)) click 1
  dlg="$(timeout 30 xdotool search --sync --onlyvisible --name '^系统设置$' 2>/dev/null | head -n1)"
  if [ -n "$dlg" ]; then
    echo "settings dialog $dlg"
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$dlg")"
    xdotool mousemove --sync $((X + 134)) $((Y + 205)) click 1
    for _ in $(seq 1 100); do
      [ -f "$home/config/brindlewave/setup.ini" ] && break
      sleep 0.1
    done
  fi
else
  echo "no window"
fi
kill -TERM "$app" 2>/dev/null
for _ in $(seq 1 300); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  echo "still running 30 s after SIGTERM"
  kill -KILL "$app"
fi
wait "$app"
echo "exit $?"
EOS
xvfb-run -a -n 150 -s "-screen 0 1280x900x24" \
  bash "$work/run-window.sh" "$home" "${as_user[@]}" > "$work/run.log" 2>&1 || true
sed 's/^/  /' "$work/run.log"
check "the main window 'Brindlewave ' appears" grep -q '^window [0-9]' "$work/run.log"
check "after SIGTERM the program exits with 0" grep -qx 'exit 0' "$work/run.log"
check "the program's working files went to \$XDG_CACHE_HOME/brindlewave" \
  test -d "$home/cache/brindlewave"
check "the settings dialog opened" grep -q '^settings dialog [0-9]' "$work/run.log"
check "its OK wrote \$XDG_CONFIG_HOME/brindlewave/setup.ini" \
  test -f "$home/config/brindlewave/setup.ini"
snapshot > "$work/after"
unchanged() { diff "$work/before" "$work/after" >&2; }
check "nothing was written under /usr/lib/brindlewave" unchanged
finish
