#!/usr/bin/env bash
# Photographs the message the program shows for four causes of a failed open
# (not a media file, no sound in the file, a full disk, a transcoder that was
# killed) into docs/, running the built program under Xvfb. The last two use
# an ffmpeg stand-in that fails that way. Needs a build (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${BUILD_DIR:-build}" && pwd)"
docs="$(pwd)/docs"
if [ -z "${SHOTS_INSIDE_XVFB:-}" ]; then
  export SHOTS_INSIDE_XVFB=1
  exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0"
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy
export BRINDLEWAVE_LANG=zh  # the pictures show the Chinese messages
: > "$work/empty song.mp3"
ffmpeg -nostdin -v error -y -f lavfi -i testsrc=d=1:s=64x48 -c:v mpeg4 "$work/holiday film.mp4"
ffmpeg -nostdin -v error -y -f lavfi -i sine=d=2 "$work/song.wav"
printf '#!/bin/sh\necho "[wav @ 0x5581] Error writing trailer: No space left on device"\nexit 1\n' > "$work/full-disk-ffmpeg"
printf '#!/bin/sh\necho "size=  1kB time=00:00:01.00 bitrate=1"\necho "    encoder         : Lavc59.37.100 pcm_s16le"\nkill -9 $$\n' > "$work/killed-ffmpeg"
chmod +x "$work"/*-ffmpeg

shoot() {  # name file [ffmpeg]
  BRINDLEWAVE_FFMPEG="${3:-}" "$build/brindlewave" "$2" &
  local app=$! box=""
  for _ in $(seq 1 100); do
    box=$(xdotool search --onlyvisible --name '^打开失败$' 2>/dev/null | head -n1) && [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || { echo "no message for $1" >&2; kill "$app"; return 1; }
  sleep 0.3
  import -window "$box" "$docs/message-$1.png"
  kill -TERM "$app"; wait "$app" || true
  echo "$docs/message-$1.png"
}
shoot not-media "$work/empty song.mp3"
shoot no-sound "$work/holiday film.mp4"
shoot disk-full "$work/song.wav" "$work/full-disk-ffmpeg"
shoot killed "$work/song.wav" "$work/killed-ffmpeg"
