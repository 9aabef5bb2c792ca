#!/usr/bin/env bash
# Photographs Brindlewave at work on a song in the user's music folder, for the
# AppStream metainfo and the README: docs/appstream-*.png. The song is made
# with ffmpeg (a few minutes of layered tones) when it is not there yet.
# Needs a build (scripts/build.sh) and Xvfb, xdotool and ImageMagick.
#   bash scripts/appstream-shots.sh [MUSIC_FOLDER]   (default: ~/Music)
set -euo pipefail
cd "$(dirname "$0")/.."
here="$(pwd)"
music="${1:-$HOME/Music}"
song="$music/Evening Walk.mp3"
mkdir -p "$music" docs
if [ ! -s "$song" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i "aevalsrc='0.35*sin(2*PI*220*t)*(0.5+0.5*sin(2*PI*0.5*t))*exp(-2*mod(t,0.5))+0.25*sin(2*PI*330*t)*exp(-3*mod(t+0.25,0.5))+0.15*sin(2*PI*440*t)*(0.6+0.4*sin(2*PI*0.13*t))':s=44100:d=95" \
    -ac 2 -c:a libmp3lame -b:a 128k -metadata title="Evening Walk" "$song"
fi
if [ -z "${SHOTS_INSIDE_X:-}" ]; then
  export SHOTS_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$music"
fi

work="$(mktemp -d)"
trap 'kill "${app:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"

start() {  # language
  BRINDLEWAVE_LANG="$1" "$here/${BUILD_DIR:-build}/brindlewave" "$song" >/dev/null 2>&1 &
  app=$!
  win=$(xdotool search --sync --onlyvisible --name '^Brindlewave$' | head -n1)
  eval "$(xdotool getwindowgeometry --shell "$win")"; wx=$X; wy=$Y
  sleep 3  # the decode of a short song is over by now
}
click() { xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1; sleep "${3:-0.4}"; }
shot() { import -window root "$work/full.png"; convert "$work/full.png" -crop "764x564+$wx+$wy" +repage "docs/$1.png"; }
mark() {  # play, seek to a third, take 2.3 s, loop it
  click $((14 + 17)) 499 1.2
  click $((10 + 250)) 134 1.0
  click $((131 + 17)) 499 2.2
  click $((170 + 17)) 499 0.5
  click $((248 + 17)) 499 0.8
}

start zh
mark
shot appstream-timeline
click $((661 + 45)) 499 1.5
xdotool key --clearmodifiers ctrl+a; xdotool type --delay 15 "$music/Evening Walk ringtone.mp3"; xdotool key Return
sleep 6
xdotool mousemove --sync $((wx + 380)) $((wy + 300)); sleep 0.5
shot appstream-notice
kill "$app"; wait "$app" 2>/dev/null || true

start en
mark
click $((136 + 24)) 51 0.8
shot appstream-menu-en
xdotool key Escape
kill "$app"; wait "$app" 2>/dev/null || true
ls -l docs/appstream-*.png
