// The main window for screen readers and the keyboard: every control that
// acts is a named push button, menu item, slider or progress bar (see
// SkinAccessible), reading the face and the editor state when asked; the
// focus goes round the toolbar, the transport bar, the typed times and the
// save button; the end of a decode and the status strip's notices are spoken.
#include "ui/MainWindow.h"

#include "playback/Timeline.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinWidgets.h"
#include "ui/WaveformView.h"

#include <QCoreApplication>

#include <cmath>

namespace {

// A text marked for the "Accessible" context, in the installed language.
QString spoken(const char *source)
{
    return QCoreApplication::translate("Accessible", source);
}

// "42%" as 42.
double percentOf(const QString &caption)
{
    QString digits = caption;
    digits.remove(u'%');
    return digits.trimmed().toDouble();
}

}  // namespace

void MainWindow::wireAccessibility()
{
    using skin_access::Traits;
    const MainFace &f = m_controller.face;
    const EditorState &s = m_controller.state;

    // The skinned push buttons: named by their tool tip, which is also what
    // the hint line shows for them; pressed as a click presses them.
    auto button = [](SkinImage *hot, std::function<QString()> name = {}) {
        if (!hot)
            return;
        if (!name)
            name = [hot] { return hot->toolTip(); };
        skin_access::describe(hot, {.role = QAccessible::Button, .name = std::move(name),
                                    .press = [hot] { hot->activate(); }});
    };
    for (int i = 0; i < 8; ++i) {
        SkinImage *hot = image(QStringLiteral("imgButton(%1)").arg(i));
        if (hot && !hot->toolTip().isEmpty())
            button(hot);
    }
    for (int i = 0; i < 7; ++i)
        button(image(QStringLiteral("imgCtrlButton(%1)").arg(i)));
    button(image(QStringLiteral("imgMin")));
    button(image(QStringLiteral("imgExit")));
    button(image(QStringLiteral("imgFeedback")));
    if (const SkinImage *open = image(QStringLiteral("imgButton(0)")))
        button(image(QStringLiteral("imgOpen")), [open] { return open->toolTip(); });

    // The menu strip's painted words open their popups.
    static const char *const menuWords[] = {QT_TRANSLATE_NOOP("Accessible", "文件(F)"),
                                           QT_TRANSLATE_NOOP("Accessible", "工具(T)"),
                                           QT_TRANSLATE_NOOP("Accessible", "设置(S)"),
                                           QT_TRANSLATE_NOOP("Accessible", "关于(A)")};
    for (int i = 0; i < 4; ++i) {
        if (SkinImage *word = image(QStringLiteral("imgMenu(%1)").arg(i)))
            skin_access::describe(word, {.role = QAccessible::MenuItem, .name = [i] { return spoken(menuWords[i]); },
                                         .press = [word] { word->activate(); }});
    }

    // The time line: its value is the play position; a new value plays from
    // there, as a press on the time line does.
    if (QWidget *line = element(QStringLiteral("picOpened"))) {
        skin_access::describe(
            line, {.role = QAccessible::Slider,
                   .name = [] { return QCoreApplication::translate("Accessible", "播放位置"); },
                   .description = [&f, &s] {
                       return QCoreApplication::translate("Accessible", "%1，长度 %2").arg(f.lblFileName, timeline::formatMilliseconds(s.LengthMs));
                   },
                   .value = [&s] { return double(s.PlayPositionMs); },
                   .maximum = [&s] { return double(s.LengthMs); },
                   .setValue = [this](double ms) { m_controller.markers().seekTo(std::llround(ms)); },
                   .step = 1000});
    }
    // The selection's handles: a new value moves the handle as a typed time does.
    const struct {
        const char *grip;
        const char *name;
        bool end;
    } handles[] = {{"imgSelectTop1", QT_TRANSLATE_NOOP("Accessible", "选择的开始位置"), false},
                   {"imgSelectTop2", QT_TRANSLATE_NOOP("Accessible", "选择的结束位置"), true}};
    for (const auto &handle : handles) {
        if (QWidget *grip = element(QLatin1String(handle.grip)))
            skin_access::describe(
                grip, {.role = QAccessible::Slider,
                       .name = [name = handle.name] { return spoken(name); },
                       .value = [&s, end = handle.end] { return double(end ? s.Sel.endMs : s.Sel.startMs); },
                       .maximum = [&s] { return double(s.LengthMs); },
                       .setValue = [this, end = handle.end](double ms) {
                           SelectionHandles &h = m_controller.handles();
                           (void)(end ? h.typeEnd(std::llround(ms)) : h.typeStart(std::llround(ms)));
                       },
                       .step = 100});
    }

    // The decode and the cut bars.
    const struct {
        const char *panel;
        const char *name;
        const QString MainFace::*caption;
    } bars[] = {{"picPBBack", QT_TRANSLATE_NOOP("Accessible", "正在打开文件"), &MainFace::lblPB},
                {"picPro", QT_TRANSLATE_NOOP("Accessible", "正在保存铃声"), &MainFace::lblPro}};
    for (const auto &bar : bars) {
        if (QWidget *panel = element(QLatin1String(bar.panel)))
            skin_access::describe(panel, {.role = QAccessible::ProgressBar,
                                          .name = [name = bar.name] { return spoken(name); },
                                          .value = [&f, caption = bar.caption] { return percentOf(f.*caption); },
                                          .maximum = [] { return 100.0; }});
    }

    // The time fields, named for what they show.
    const struct {
        const char *key;
        const char *name;
        const QString MainFace::*caption;
        bool typed;  // a press opens the box in which it is typed
    } times[] = {{"lblTime", QT_TRANSLATE_NOOP("Accessible", "播放位置 %1"), &MainFace::lblTime, false},
                 {"lblSelBegin", QT_TRANSLATE_NOOP("Accessible", "选择 开始位置 %1"), &MainFace::lblSelBegin, true},
                 {"lblSelEnd", QT_TRANSLATE_NOOP("Accessible", "选择 结束位置 %1"), &MainFace::lblSelEnd, true},
                 {"lblSelLength", QT_TRANSLATE_NOOP("Accessible", "选择 长度 %1"), &MainFace::lblSelLength, false},
                 {"lblViewBegin", QT_TRANSLATE_NOOP("Accessible", "浏览 开始位置 %1"), &MainFace::lblViewBegin, false},
                 {"lblViewEnd", QT_TRANSLATE_NOOP("Accessible", "浏览 结束位置 %1"), &MainFace::lblViewEnd, false},
                 {"lblViewLength", QT_TRANSLATE_NOOP("Accessible", "浏览 长度 %1"), &MainFace::lblViewLength, false}};
    for (const auto &time : times) {
        SkinLabel *field = label(QLatin1String(time.key));
        if (!field)
            continue;
        Traits traits{.role = QAccessible::StaticText,
                      .name = [&f, name = time.name, caption = time.caption] { return spoken(name).arg(f.*caption); }};
        if (time.typed)
            traits.press = [field] { field->activate(); };
        skin_access::describe(field, std::move(traits));
    }

    // The status strip: the notice and the saved file's two links.
    if (SkinLabel *notice = label(QStringLiteral("lblNotice")))
        skin_access::describe(notice, {.role = QAccessible::StaticText, .name = [&f] { return f.noticeText; }});
    for (const char *key : {"lblNoticeFolder", "lblNoticePlay"}) {
        if (SkinLabel *link = label(QLatin1String(key)))
            skin_access::describe(link, {.role = QAccessible::Button, .name = [link] { return link->text(); },
                                         .press = [link] { link->activate(); }});
    }

    // The window, its panels and nothing else hold the rest: the pictures that
    // only decorate (the play head's line and grips, the handles' other
    // halves, the bars' fills, the stores of lit pictures) and the waveform
    // are left out of the tree.
    skin_access::describe(this, {.role = QAccessible::Window});
    for (QWidget *w : std::as_const(m_elements)) {
        if (qobject_cast<SkinImage *>(w) && !skin_access::isDescribed(w))
            skin_access::leaveOut(w);
    }
    if (m_waveform)
        skin_access::leaveOut(m_waveform);

    // The focus: the window itself holds it until Tab moves it into the chain,
    // so Space plays and pauses until a button has been chosen.
    setFocusPolicy(Qt::ClickFocus);
    setFocus(Qt::OtherFocusReason);
    QList<QWidget *> chain;
    for (int i : {0, 1, 2, 4, 5, 6, 7})
        chain << element(QStringLiteral("imgButton(%1)").arg(i));
    for (int i = 0; i < 6; ++i)
        chain << element(QStringLiteral("imgCtrlButton(%1)").arg(i));
    chain << element(QStringLiteral("lblSelBegin")) << element(QStringLiteral("lblSelEnd"))
          << element(QStringLiteral("imgCtrlButton(6)"));
    chain.removeAll(nullptr);
    for (QWidget *w : std::as_const(chain))
        w->setFocusPolicy(Qt::TabFocus);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::syncAccessibility(bool decodeEnded)
{
    QWidget *notice = element(QStringLiteral("lblNotice"));
    bool newNotice = false;
    for (QWidget *w : std::as_const(m_elements)) {
        if (skin_access::refresh(w) && w == notice)
            newNotice = true;
    }
    // A new notice in the status strip (a save done, failed or cancelled) is spoken.
    const MainFace &f = m_controller.face;
    if (newNotice && !f.noticeText.isEmpty())
        skin_access::announce(notice);
    // The end of a decode: the time line is there, with the file and its length.
    if (decodeEnded && f.picOpenedVisible)
        skin_access::announce(element(QStringLiteral("picOpened")));
}
