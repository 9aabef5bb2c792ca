#!/usr/bin/env bash
# End-to-end, as a screen reader sees the program: a private D-Bus session with
# the AT-SPI bus, the installed program under Xvfb with Qt's AT-SPI bridge
# always on, and SDL writing its sound to a file. python3-pyatspi walks the
# tree: the toolbar and transport buttons are push buttons by name, the time
# line is a slider on the file's length; "播放" is pressed through its action
# and the sound must reach the disk file.
#   bash tests/e2e/a11y.sh [BUILD]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
# Each script under Xvfb searches for a free display from a number of its own
# (run.sh 110, this 130, the package check 150): a server of the script before
# that is still going away is never taken for this one's.
if [ -z "${A11Y_INSIDE_SESSION:-}" ]; then
  export A11Y_INSIDE_SESSION=1
  exec xvfb-run -a -n 130 -s "-screen 0 1280x900x24" dbus-run-session -- bash "$here/a11y.sh" "$build"
fi

work="$(mktemp -d)"
cleanup() {
  kill "${app:-}" "${bus:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:duration=20" -ac 2 "$work/song.wav"

/usr/libexec/at-spi-bus-launcher --launch-immediately &
bus=$!

export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" BRINDLEWAVE_LANG=zh
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw"
"$prefix/bin/brindlewave" "$work/song.wav" &
app=$!

/usr/bin/python3 - "$work/played.raw" <<'PY'
import os, sys, time
import pyatspi

played = sys.argv[1]

def wait(what, condition, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = condition()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("a11y: gave up waiting for " + what)

def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name and "brindlewave" in app.name.lower():
            return app
    return None

def walk(node, out):
    if node is None:
        return out
    out.append(node)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), out)
    return out

def named(app, role, name):
    for node in walk(app, []):
        if node.getRole() == role and node.name == name:
            return node
    return None

app = wait("the program on the AT-SPI bus", program)
buttons = ["打开一个音乐/视频文件", "保存铃声", "随机选择一段铃声", "系统设置", "退出程序",
           "播放", "停止", "暂停", "选择铃声起始位置", "选择铃声结束位置", "播放选择的段落", "循环"]
for name in buttons:
    button = wait("the push button " + name, lambda: named(app, pyatspi.ROLE_PUSH_BUTTON, name), 30)
    actions = button.queryAction()
    if "Press" not in [actions.getName(i) for i in range(actions.nActions)]:
        sys.exit("a11y: %s has no Press action" % name)
for word in ["文件(F)", "编辑(E)", "工具(T)", "设置(S)", "关于(A)"]:
    wait("the menu item " + word, lambda: named(app, pyatspi.ROLE_MENU_ITEM, word), 30)

# the decode is over when the time line knows the file's length
line = wait("the time line", lambda: named(app, pyatspi.ROLE_SLIDER, "播放位置"))
wait("the file's length on the time line", lambda: line.queryValue().maximumValue >= 19000)

before = os.path.getsize(played) if os.path.exists(played) else 0
play = named(app, pyatspi.ROLE_PUSH_BUTTON, "播放")
actions = play.queryAction()
actions.doAction([actions.getName(i) for i in range(actions.nActions)].index("Press"))
def sound_after(offset):
    if not os.path.exists(played) or os.path.getsize(played) < offset + 44100:
        return False
    with open(played, "rb") as f:
        f.seek(offset)
        return any(f.read())  # not only silence
wait("sound in " + played, lambda: sound_after(before), 30)
wait("the time line's value to follow the play position", lambda: line.queryValue().currentValue > 0, 30)
print("a11y: %d named push buttons, the time line and playback through the Press action: ok" % len(buttons))
PY
