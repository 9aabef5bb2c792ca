#!/usr/bin/env bash
# End-to-end, as a screen-reader user does the job: a private D-Bus session
# with the AT-SPI bus, the installed program under Xvfb with Qt's AT-SPI bridge
# always on, and SDL writing its sound to a file. Only keys drive it; an AT-SPI
# listener (python3-pyatspi) hears the events a screen reader speaks at each
# step: the open file and its length, the time line and the handles as
# sliders named by their time, a refused time, the saved notice, a menu opened
# by its key with its first entry chosen. Then the buttons are checked by name
# and "播放" is pressed through its action; the sound must reach the disk file.
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
"$prefix/bin/brindlewave" &
app=$!

/usr/bin/python3 - "$work" <<'PY'
import os, re, subprocess, sys, time
import pyatspi
from gi.repository import GLib

work = sys.argv[1]
played = os.path.join(work, "played.raw")
heard = []  # (type, role, name, description, detail1, value) of every event, as it came

def on_event(e):
    try:
        src = e.source
        value = None
        if src.getRole() == pyatspi.ROLE_SLIDER:
            try:
                value = src.queryValue().currentValue
            except Exception:
                pass
        heard.append((e.type, src.getRole(), src.name or "", src.description or "", e.detail1, value))
    except Exception as error:
        # an object gone before it was asked about (a closed dialog's) says nothing
        if "No such object path" not in str(error):
            print("a11y: an event not read: %s %s" % (e.type, error), file=sys.stderr)

pyatspi.Registry.registerEventListener(
    on_event, "focus:", "object:state-changed:focused", "object:state-changed:showing",
    "object:property-change:accessible-name", "object:property-change:accessible-description",
    "object:value-changed", "object:property-change:accessible-value", "object:state-changed:selected")

def pump(seconds):
    end = time.monotonic() + seconds
    ctx = GLib.MainContext.default()
    while time.monotonic() < end:
        while ctx.iteration(False):
            pass
        time.sleep(0.02)

def wait(what, condition, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        pump(0.1)
        found = condition()
        if found:
            return found
    sys.exit("a11y: gave up waiting for " + what + "\nlast heard: " + "\n".join(map(str, heard[-30:])))

def hear(what, kind, role, pattern, since, seconds=30):
    """The first event of `kind` (a prefix, or a tuple of them) on a `role` whose
    name matches, or its description for a description change, after `since`;
    a showing or focused state only as it is gained."""
    said = lambda event: event[3] if "description" in event[0] else event[2]
    def found():
        return next((e for e in heard[since:] if e[0].startswith(kind) and e[1] == role
                     and (e[4] or not e[0].endswith(("showing", "focused"))) and re.search(pattern, said(e))), None)
    event = wait(what, found, seconds)
    print("a11y: heard %-34s %s" % (event[0], said(event)))
    return event

def keys(*names):
    for name in names:
        subprocess.run(["xdotool", "key", name], check=True)
        pump(0.25)

def typed(text):
    subprocess.run(["xdotool", "type", "--delay", "15", text], check=True)
    pump(0.2)

def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name and "brindlewave" in a.name.lower():
            return a
    return None

def walk(node, out):
    if node is None:
        return out
    out.append(node)
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), out)
    return out

def named(app, role, name, whole=True):
    """The first object of `role` named `name` (or, not whole, whose name begins so)."""
    return next((node for node in walk(app, []) if node.getRole() == role
                 and (node.name == name if whole else (node.name or "").startswith(name))), None)

def window(title):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], capture_output=True, text=True)
    return out.stdout.split()

app = wait("the program on the AT-SPI bus", program)
main = wait("the main window", lambda: window("^Brindlewave$"))[0]

def focus_main():
    subprocess.run(["xdotool", "windowfocus", "--sync", main], check=True)
    pump(0.5)

def through_dialog(shortcut, title, path):
    """A file dialog opened by its keys, a path typed into it; then, as a window
    manager does when a dialog closes, the main window has the keyboard again."""
    keys(shortcut)
    wait("the dialog " + title, lambda: window(title))
    pump(0.5)
    keys("ctrl+a")
    typed(path)
    keys("Return")
    wait("the dialog to close", lambda: len(window(".")) == 1, 20)
    focus_main()

focus_main()

# open a song: Ctrl+O, its path, Return; its end is said and the time line has the focus
mark = len(heard)
through_dialog("ctrl+o", "打开一个媒体文件", os.path.join(work, "song.wav"))
hear("the decode's end", "object:state-changed:showing", pyatspi.ROLE_NOTIFICATION, r"^已打开 song\.wav，长度 20\.0 秒$", mark, 60)
hear("the time line taking the focus", "object:state-changed:focused", pyatspi.ROLE_SLIDER, r"^播放位置 0\.0 秒$", mark)

# the play button, pressed through its action, plays; Stop stops
before = os.path.getsize(played) if os.path.exists(played) else 0
def press(name):
    actions = named(app, pyatspi.ROLE_PUSH_BUTTON, name).queryAction()
    actions.doAction([actions.getName(i) for i in range(actions.nActions)].index("Press"))
press("播放")
def sound_after(offset):
    if not os.path.exists(played) or os.path.getsize(played) < offset + 44100:
        return False
    with open(played, "rb") as f:
        f.seek(offset)
        return any(f.read())  # not only silence
wait("sound in " + played, lambda: sound_after(before), 30)
print("a11y: 播放 pressed through its action plays")
press("停止")
pump(0.5)

# [ marks the start at the file's start; five seconds on with the arrows
# (each plays from there), Space pauses
keys("bracketleft")
mark = len(heard)
keys("Right", "Right", "Right", "Right", "Right")
pump(1.0)
keys("space")
hear("the paused position", "object:property-change:accessible-name", pyatspi.ROLE_SLIDER, r"^播放位置 \d+\.\d 秒$", mark)
pump(1.0)  # the device's last word on where it paused
position = named(app, pyatspi.ROLE_SLIDER, "播放位置 ", whole=False).queryValue().currentValue
if not 5.0 <= position < 9.0:
    sys.exit("a11y: paused at %s s after five steps of a second" % position)

# the end handle, once `]` has put it at the play position, is named by it
end_at_pause = r"^结束 %.3f 秒$" % position
# ] on the time line marks the end there; Tab to the start handle, then its keys
mark = len(heard)
keys("bracketright")
keys("Tab")
hear("the start handle taking the focus", "object:state-changed:focused", pyatspi.ROLE_SLIDER, r"^开始 0\.000 秒$", mark)
mark = len(heard)
keys("Right", "Right")
hear("a nudge of 20 ms", "object:property-change:accessible-name", pyatspi.ROLE_SLIDER, r"^开始 0\.020 秒$", mark)
keys("ctrl+Right")
event = hear("a nudge of a second", "object:property-change:accessible-name", pyatspi.ROLE_SLIDER, r"^开始 1\.020 秒$", mark)
if not any(e[0].startswith(("object:value-changed", "object:property-change:accessible-value")) and e[1] == pyatspi.ROLE_SLIDER and e[5] is not None and abs(e[5] - 1.02) < 0.0005 for e in heard[mark:]):
    sys.exit("a11y: no value change to 1.02 on the start handle")
mark = len(heard)
keys("Tab")
hear("the end handle taking the focus", "object:state-changed:focused", pyatspi.ROLE_SLIDER, end_at_pause, mark)
keys("End")
hear("the end handle at the file's end", "object:property-change:accessible-name", pyatspi.ROLE_SLIDER, r"^结束 20\.000 秒$", mark)

# on the typed start time (a button), ] still marks the end at the play position
mark = len(heard)
keys("Tab")
hear("the typed start time taking the focus", "object:state-changed:focused", pyatspi.ROLE_LABEL, r"^选择 开始位置 00:01\.020$", mark)
keys("bracketright")
hear("] from a button", "object:property-change:accessible-name", pyatspi.ROLE_SLIDER, end_at_pause, mark)

# a refused time is said, and a good one taken
mark = len(heard)
keys("Return")
hear("the time box", "object:state-changed:focused", pyatspi.ROLE_TEXT, r"^选择的开始位置$", mark)
keys("ctrl+a")
typed("abc")
keys("Return")
hear("the refusal", "object:property-change:accessible-description", pyatspi.ROLE_TEXT, r"^看不懂这个时间", mark)
keys("ctrl+a")
typed("2.5")
keys("Return")
wait("the start at 2.5 s", lambda: named(app, pyatspi.ROLE_SLIDER, "开始 2.500 秒"))
print("a11y: the start handle is now 开始 2.500 秒")

# save it as a ringtone: the notice is said
mark = len(heard)
through_dialog("ctrl+s", "^另存为$", os.path.join(work, "ring.mp3"))
hear("the saved notice", "object:state-changed:showing", pyatspi.ROLE_NOTIFICATION, r"^已保存 ring\.mp3（", mark, 60)
if os.path.getsize(os.path.join(work, "ring.mp3")) <= 0:
    sys.exit("a11y: ring.mp3 is empty")

# Alt+S opens the settings menu with its first entry chosen
mark = len(heard)
keys("alt+s")
hear("the first entry of 设置 chosen", ("focus:", "object:state-changed:focused", "object:state-changed:selected"),
     pyatspi.ROLE_MENU_ITEM, r"^系统设置\(S\)$", mark, 20)
keys("Escape")

buttons = ["打开一个音乐/视频文件", "保存铃声", "随机选择一段铃声", "系统设置", "退出程序",
           "播放", "停止", "暂停", "选择铃声起始位置", "选择铃声结束位置", "播放选择的段落", "循环",
           "把选择的段落保存为铃声", "播放保存的铃声"]
for name in buttons:
    button = wait("the push button " + name, lambda: named(app, pyatspi.ROLE_PUSH_BUTTON, name), 30)
    actions = button.queryAction()
    if "Press" not in [actions.getName(i) for i in range(actions.nActions)]:
        sys.exit("a11y: %s has no Press action" % name)
bar = wait("the menu bar", lambda: named(app, pyatspi.ROLE_MENU_BAR, "菜单栏"))
words = [bar.getChildAtIndex(i).name for i in range(bar.childCount)]
if words != ["文件(F)", "编辑(E)", "工具(T)", "设置(S)", "关于(A)"]:
    sys.exit("a11y: the menu bar holds %s" % words)

print("a11y: the keyboard journey, %d named push buttons, the menu bar and playback through the Press action: ok" % len(buttons))
PY
