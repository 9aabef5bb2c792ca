#!/usr/bin/env bash
# End-to-end: installs the build into a scratch prefix, starts the installed
# program under Xvfb with SDL's dummy audio driver, and drives it only with the
# pointer and the keyboard (xdotool) at the window's own geometry: open a file
# through the open dialog, play, set start and end, preview, save as MP3 and as
# AMR through the save dialog, change the settings, quit. Outputs are checked
# with ffprobe.
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
if [ -z "${E2E_INSIDE_XVFB:-}" ]; then
  export E2E_INSIDE_XVFB=1
  exec xvfb-run -a -n 110 -s "-screen 0 1280x900x24" bash "$here/run.sh" "$build"
fi

work="$(mktemp -d)"
cleanup() {
  # a transcoder left running would be a fault of the program: show it
  ps -ef | grep -E "data/coder|ffmpeg" | grep -v grep >&2 || true
  kill "${app:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy
export BRINDLEWAVE_LANG=zh  # the checks find windows by their Chinese titles
media="$work/media folder"
mkdir -p "$media"
# With E2E_SHOTS set, the run also photographs each state of the window into
# that folder; the song is then long enough for the decode to be seen.
song_seconds=14
[ -n "${E2E_SHOTS:-}" ] && song_seconds=3600
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=523:duration=$song_seconds" -ac 2 -b:a 128k "$media/song 1.mp3"

fail() { echo "e2e: FAIL: $*" >&2; import -window root "$work/failure.png" 2>/dev/null && cp "$work/failure.png" "${E2E_SHOT:-/tmp/brindlewave-e2e-failure.png}" || true; exit 1; }
step() { echo "e2e: $*"; }
shot() {  # name x y width height
  [ -n "${E2E_SHOTS:-}" ] || return 0
  import -window root -crop "$4x$5+$2+$3" +repage "$E2E_SHOTS/$1.png"
}

# a working copy left by a program that was killed earlier
mkdir -p "$XDG_CACHE_HOME/brindlewave/session-999999-0"
: > "$XDG_CACHE_HOME/brindlewave/session-999999-0.lock"
: > "$XDG_CACHE_HOME/brindlewave/session-999999-0/open.wav"

"$prefix/bin/brindlewave" &
app=$!
win=$(xdotool search --sync --onlyvisible --name '^Brindlewave$' | head -n1)
[ -n "$win" ] || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$win")"   # X Y WIDTH HEIGHT
[ "$WIDTH" = 764 ] && [ "$HEIGHT" = 564 ] || fail "window is ${WIDTH}x${HEIGHT}, not 764x564"
wx=$X; wy=$Y

click() { xdotool mousemove --sync $((wx + $1)) $((wy + $2)) click 1; sleep "${3:-0.3}"; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -n1 | grep -o '#[0-9A-F]\{6\}' | head -n1; }
# the dialog that has focus, once it is there
wait_window() { for _ in $(seq 1 50); do w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1); [ -n "$w" ] && { echo "$w"; return 0; }; sleep 0.2; done; return 1; }
type_path() { xdotool key --clearmodifiers ctrl+a; xdotool type --delay 15 "$1"; sleep 0.3; xdotool key Return; }

sleep 0.5
step "the key-colour margin is see-through"
corner=$(pixel "$wx" "$wy")
[ "$corner" != "#FF00FF" ] || fail "the top-left corner shows the key colour"
# the X server holds the outline (set on the mapped window, without unmapping it)
xwininfo -shape -id "$win" | grep -q "Window shape extents:  760x554+2+2" || fail "the window is not shaped: $(xwininfo -shape -id "$win" | grep -i shape)"
inside=$(pixel $((wx + 380)) $((wy + 20)))
[ "$inside" != "#FF00FF" ] && [ "$inside" != "$corner" ] || fail "the title strip is not drawn ($inside)"

shot start "$wx" "$wy" 764 564
step "settings: do not open the folder, do not play the sound"
click $((230 + 18)) $((65 + 16)) 1
dlg=$(wait_window '^系统设置$') || fail "the settings dialog did not open"
eval "$(xdotool getwindowgeometry --shell "$dlg")"
dx=$X; dy=$Y
sleep 0.3
shot settings "$dx" "$dy" 418 251
xdotool mousemove --sync $((dx + 46 + 100)) $((dy + 80 + 11)) click 1; sleep 0.4; xdotool key Down Return; sleep 0.3
xdotool mousemove --sync $((dx + 46 + 100)) $((dy + 148 + 11)) click 1; sleep 0.4; xdotool key Down Return; sleep 0.3
xdotool mousemove --sync $((dx + 112 + 22)) $((dy + 196 + 9)) click 1; sleep 0.5
ini="$prefix/lib/brindlewave/setup.ini"
[ -f "$ini" ] || ini="$XDG_CONFIG_HOME/brindlewave/setup.ini"
[ "$(od -An -tx1 "$ini" | tr -d ' \n')" = "310d0a310d0a" ] || fail "setup.ini holds $(od -An -c "$ini")"

step "open a file through the open dialog"
quick=$(pixel $((wx + 310)) $((wy + 304)))
click $((24 + 18)) $((65 + 16)) 1
wait_window '打开一个媒体文件' >/dev/null || fail "the open dialog did not appear"
type_path "$media/song 1.mp3"
if [ -n "${E2E_SHOTS:-}" ]; then sleep 1.5; shot decoding "$wx" "$wy" 764 564; fi
for _ in $(seq 1 300); do
  [ "$(pixel $((wx + 310)) $((wy + 304)))" != "$quick" ] && break
  sleep 0.2
done
[ "$(pixel $((wx + 310)) $((wy + 304)))" != "$quick" ] || fail "the time line did not appear"
work_wav() { ls "$XDG_CACHE_HOME"/brindlewave/session-"$1"-*/open.wav 2>/dev/null | head -n1; }
[ -s "$(work_wav "$app")" ] || fail "no working WAV was decoded"
[ ! -e "$XDG_CACHE_HOME/brindlewave/session-999999-0" ] || fail "the killed program's working copy is still there"

step "play, seek by pressing the time line, set start 2 s later and end 4 s after it, preview"
click $((14 + 17)) $((483 + 16)) 1
click $((10 + 250)) $((104 + 30)) 2
click $((131 + 17)) $((483 + 16)) 4
click $((170 + 17)) $((483 + 16)) 0.5
click $((209 + 17)) $((483 + 16)) 1.5
shot timeline "$wx" "$wy" 764 564

save_as() {
  click $((661 + 45)) $((483 + 16)) 1
  wait_window '^另存为$' >/dev/null || fail "the save dialog did not appear"
  type_path "$1"
  if [ -n "${E2E_SHOTS:-}" ] && [ "$1" = "$media/ring 1.mp3" ]; then sleep 0.15; shot saving "$wx" "$wy" 764 564; fi
  for _ in $(seq 1 100); do [ -s "$1" ] && break; sleep 0.2; done
  sleep 0.5
  [ -s "$1" ] || fail "$1 was not written"
}
check() {  # file codec rate channels
  local info
  info=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels -show_entries format=duration -of default=nw=1 "$1")
  echo "$info" | grep -q "codec_name=$2" || fail "$1: $info"
  echo "$info" | grep -q "sample_rate=$3" || fail "$1: $info"
  echo "$info" | grep -q "channels=$4" || fail "$1: $info"
  dur=$(echo "$info" | sed -n 's/^duration=//p')
  awk -v d="$dur" 'BEGIN { exit !(d >= 2.5 && d <= 6.5) }' || fail "$1 lasts $dur s"
}
step "save as MP3, then as AMR"
save_as "$media/ring 1.mp3"; check "$media/ring 1.mp3" mp3 48000 2
save_as "$media/ring 2.amr"; check "$media/ring 2.amr" amr_nb 8000 1
[ -z "$(ls -A "$media" | grep partial || true)" ] || fail "a partial file was left behind"

step "fade in and loudness from the settings menu, remembered; save as M4R with them"
settings_item() {  # how many entries down the settings popup
  click $((193 + 24)) $((42 + 9)) 0.6
  for _ in $(seq 1 "$1"); do xdotool key Down; done
  xdotool key Return; sleep 0.4
}
settings_item 3   # 淡入 1 秒
settings_item 9   # 统一音量
conf="$XDG_CONFIG_HOME/brindlewave/brindlewave.conf"
grep -q '^fadeInMs=1000' "$conf" && grep -q '^normalize=true' "$conf" || fail "brindlewave.conf holds: $(cat "$conf" 2>&1)"
if [ -n "${E2E_SHOTS:-}" ]; then
  click $((193 + 24)) $((42 + 9)) 0.8
  shot menu-options "$wx" "$wy" 764 564
  xdotool key Escape; sleep 0.3
fi
save_as "$media/ring 3.m4r"; check "$media/ring 3.m4r" aac 44100 2
grep -q '^lastFormat=M4R' "$conf" || fail "the last type is not remembered: $(cat "$conf")"
xdotool mousemove --sync $((wx + 380)) $((wy + 300)); sleep 0.3
shot notice "$wx" "$wy" 764 564

step "quit"
click $((729 + 11)) $((12 + 11)) 1
xdotool key Return
for _ in $(seq 1 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
! kill -0 "$app" 2>/dev/null || fail "the program did not end"
[ -z "$(ls -A "$XDG_CACHE_HOME/brindlewave")" ] || fail "left in the working folder: $(ls -A "$XDG_CACHE_HOME/brindlewave")"

slow="$work/slow-ffmpeg"
printf '#!/bin/sh\nfor a in "$@"; do out="$a"; done\nprintf "RIFF half" > "${out#file:}"\necho "Duration: 00:10:00.00, start: 0"\nexec sleep 600\n' > "$slow"
chmod +x "$slow"

step "Escape stops a decode: nothing is left open, and the program runs on"
BRINDLEWAVE_FFMPEG="$slow" "$prefix/bin/brindlewave" "$media/song 1.mp3" &
app=$!
for _ in $(seq 1 100); do [ -e "$(work_wav "$app")" ] && break; sleep 0.1; done
[ -e "$(work_wav "$app")" ] || fail "the decode did not start"
win=$(xdotool search --sync --onlyvisible --name '^Brindlewave$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$win")"; wx=$X; wy=$Y
xdotool mousemove --sync $((wx + 380)) $((wy + 20)) click 1; sleep 0.3
xdotool key Escape
for _ in $(seq 1 50); do [ -e "$(work_wav "$app")" ] || break; sleep 0.1; done
[ ! -e "$(work_wav "$app")" ] || fail "the cancelled decode left its working WAV"
! pgrep -f "$slow" >/dev/null || fail "the cancelled transcoder is still running"
kill -0 "$app" 2>/dev/null || fail "the program ended on Escape"
kill -TERM "$app"; wait "$app" || true

step "SIGTERM during a decode ends the program cleanly"
BRINDLEWAVE_FFMPEG="$slow" "$prefix/bin/brindlewave" "$media/song 1.mp3" &
app=$!
for _ in $(seq 1 100); do [ -e "$(work_wav "$app")" ] && break; sleep 0.1; done
[ -e "$(work_wav "$app")" ] || fail "the decode did not start"
kill -TERM "$app"
status=0
wait "$app" || status=$?
[ "$status" = 0 ] || fail "the program ended with status $status after SIGTERM"
[ -z "$(ls -A "$XDG_CACHE_HOME/brindlewave")" ] || fail "left after SIGTERM: $(ls -A "$XDG_CACHE_HOME/brindlewave")"
! pgrep -f "$slow" >/dev/null || fail "the transcoder outlived the program"

step "SIGKILL during a save: the transcoder goes with the program, no file is left, the next start clears its copy"
stalling="$work/stalling-ffmpeg"
printf '#!/bin/sh\nfor a in "$@"; do out="$a"; done\ncase "$out" in *open.wav) exec ffmpeg "$@";; esac\necho $$ > "%s"\nhead -c 5000 /dev/urandom > "${out#file:}"\nexec sleep 600\n' "$work/stalling.pid" > "$stalling"
chmod +x "$stalling"
BRINDLEWAVE_FFMPEG="$stalling" "$prefix/bin/brindlewave" "$media/song 1.mp3" &
app=$!
win=$(xdotool search --sync --onlyvisible --name '^Brindlewave$' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$win")"; wx=$X; wy=$Y
for _ in $(seq 1 100); do [ -s "$(work_wav "$app")" ] && break; sleep 0.2; done
sleep 1  # the decode of a 14 s song is over by now
click $((14 + 17)) $((483 + 16)) 1     # play
click $((131 + 17)) $((483 + 16)) 2    # start
click $((170 + 17)) $((483 + 16)) 0.5  # end
click $((661 + 45)) $((483 + 16)) 1
wait_window '^另存为$' >/dev/null || fail "the save dialog did not appear"
type_path "$media/killed.mp3"
for _ in $(seq 1 100); do [ -s "$work/stalling.pid" ] && break; sleep 0.1; done
[ -s "$work/stalling.pid" ] || fail "the save did not start"
before=$(ls -A "$media")
kill -KILL "$app"; wait "$app" || true
cut_pid=$(cat "$work/stalling.pid")
for _ in $(seq 1 50); do ps -o stat= -p "$cut_pid" 2>/dev/null | grep -qv Z || break; sleep 0.1; done
! ps -o stat= -p "$cut_pid" 2>/dev/null | grep -qv Z || fail "the transcoder outlived the killed program"
[ "$(ls -A "$media")" = "$before" ] || fail "the killed save left: $(ls -A "$media")"
[ ! -e "$media/killed.mp3" ] || fail "the killed save left its destination"
"$prefix/bin/brindlewave" --cut "$media/song 1.mp3" --start 1 --end 3 --output "$work/after.mp3" 2>/dev/null \
  || fail "a cut after the kill failed"
[ -z "$(ls -A "$XDG_CACHE_HOME/brindlewave")" ] || fail "the killed program's copy is still there: $(ls -A "$XDG_CACHE_HOME/brindlewave")"
echo "e2e: all steps passed"
