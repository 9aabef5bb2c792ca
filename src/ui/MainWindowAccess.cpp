// The main window for screen readers and the keyboard: every control that
// acts is a named push button, menu item, slider or progress bar (see
// SkinAccessible), reading the face and the editor state when asked; the
// focus goes round the toolbar, the transport bar, the typed times and the
// save button; the end of a decode and the status strip's notices are spoken.
#include "ui/MainWindow.h"

#include <iterator>

#include "playback/PlaybackController.h"
#include "playback/Timeline.h"
#include "ui/PlayMarkers.h"
#include "ui/SelectionHandles.h"
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
    describeButtons();
    describeTimeline();
    describeFields();

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
    wireFocusChain();
}

// The skinned push buttons and the menu strip's words.
void MainWindow::describeButtons()
{
    // Named by their tool tip, which is also what the hint line shows for
    // them; pressed as a click presses them.
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
    for (int i = 0; i < PlaybackController::ButtonCount; ++i)
        button(image(QStringLiteral("imgCtrlButton(%1)").arg(i)));
    button(image(QStringLiteral("imgMin")));
    button(image(QStringLiteral("imgExit")));
    button(image(QStringLiteral("imgFeedback")));
    if (const SkinImage *open = image(QStringLiteral("imgButton(0)")))
        button(image(QStringLiteral("imgOpen")), [open] { return open->toolTip(); });

    // The menu strip's painted words open their popups.
    static const char *const menuWords[] = {QT_TRANSLATE_NOOP("Accessible", "文件(F)"),
                                           QT_TRANSLATE_NOOP("Accessible", "编辑(E)"),
                                           QT_TRANSLATE_NOOP("Accessible", "工具(T)"),
                                           QT_TRANSLATE_NOOP("Accessible", "设置(S)"),
                                           QT_TRANSLATE_NOOP("Accessible", "关于(A)")};
    for (int i = 0; i < int(std::size(menuWords)); ++i) {
        if (SkinImage *word = image(QStringLiteral("imgMenu(%1)").arg(i)))
            skin_access::describe(word, {.role = QAccessible::MenuItem, .name = [i] { return spoken(menuWords[i]); },
                                         .press = [word] { word->activate(); }});
    }
}

// The time line and the selection's handles, as sliders over the open file.
void MainWindow::describeTimeline()
{
    const EditorModel &model = m_controls->model();
    // Its value is the play position; a new value plays from there, as a press
    // on the time line does.
    if (QWidget *line = element(QStringLiteral("picOpened"))) {
        const SkinLabel *tab = label(QStringLiteral("lblFileName"));
        skin_access::describe(
            line, {.role = QAccessible::Slider,
                   .name = [] { return QCoreApplication::translate("Accessible", "播放位置"); },
                   .description = [tab, &model] {
                       return QCoreApplication::translate("Accessible", "%1，长度 %2")
                           .arg(tab ? tab->text() : QString(), timeline::formatMilliseconds(model.lengthMs()));
                   },
                   .value = [&model] { return double(model.play().positionMs); },
                   .maximum = [&model] { return double(model.lengthMs()); },
                   .setValue = [this](double ms) { m_controls->markers().seekTo(std::llround(ms)); },
                   .step = 1000});
    }
    // A new value moves the handle as a typed time does.
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
                       .value = [&model, end = handle.end] {
                           return double(end ? model.marks().endMs.value_or(0) : model.marks().startMs);
                       },
                       .maximum = [&model] { return double(model.lengthMs()); },
                       .setValue = [this, end = handle.end](double ms) {
                           SelectionHandles &h = m_controls->handles();
                           (void)(end ? h.typeEnd(std::llround(ms)) : h.typeStart(std::llround(ms)));
                       },
                       .step = 100});
    }
}

// The job bars, the time fields and the status strip, read as they are shown.
void MainWindow::describeFields()
{
    const struct {
        const char *panel;
        const char *name;
        const char *caption;
    } bars[] = {{"picPBBack", QT_TRANSLATE_NOOP("Accessible", "正在打开文件"), "lblPB"},
                {"picPro", QT_TRANSLATE_NOOP("Accessible", "正在保存铃声"), "lblPro"}};
    for (const auto &bar : bars) {
        QWidget *panel = element(QLatin1String(bar.panel));
        const SkinLabel *caption = label(QLatin1String(bar.caption));
        if (panel && caption)
            skin_access::describe(panel, {.role = QAccessible::ProgressBar,
                                          .name = [name = bar.name] { return spoken(name); },
                                          .value = [caption] { return percentOf(caption->text()); },
                                          .maximum = [] { return 100.0; }});
    }

    // The time fields, named for what they show.
    const struct {
        const char *key;
        const char *name;
        bool typed;  // a press opens the box in which it is typed
    } times[] = {{"lblTime", QT_TRANSLATE_NOOP("Accessible", "播放位置 %1"), false},
                 {"lblSelBegin", QT_TRANSLATE_NOOP("Accessible", "选择 开始位置 %1"), true},
                 {"lblSelEnd", QT_TRANSLATE_NOOP("Accessible", "选择 结束位置 %1"), true},
                 {"lblSelLength", QT_TRANSLATE_NOOP("Accessible", "选择 长度 %1"), false},
                 {"lblViewBegin", QT_TRANSLATE_NOOP("Accessible", "浏览 开始位置 %1"), false},
                 {"lblViewEnd", QT_TRANSLATE_NOOP("Accessible", "浏览 结束位置 %1"), false},
                 {"lblViewLength", QT_TRANSLATE_NOOP("Accessible", "浏览 长度 %1"), false}};
    for (const auto &time : times) {
        SkinLabel *field = label(QLatin1String(time.key));
        if (!field)
            continue;
        skin_access::Traits traits{.role = QAccessible::StaticText,
                      .name = [field, name = time.name] { return spoken(name).arg(field->text()); }};
        if (time.typed)
            traits.press = [field] { field->activate(); };
        skin_access::describe(field, std::move(traits));
    }

    // The status strip: the notice and the saved file's two links.
    if (SkinLabel *notice = label(QStringLiteral("lblNotice")))
        skin_access::describe(notice, {.role = QAccessible::StaticText, .name = [this] { return m_noticeText; }});
    for (const char *key : {"lblNoticeFolder", "lblNoticePlay"}) {
        if (SkinLabel *link = label(QLatin1String(key)))
            skin_access::describe(link, {.role = QAccessible::Button, .name = [link] { return link->text(); },
                                         .press = [link] { link->activate(); }});
    }
}

// The focus: the window itself holds it until Tab moves it into the chain, so
// Space plays and pauses until a button has been chosen.
void MainWindow::wireFocusChain()
{
    setFocusPolicy(Qt::ClickFocus);
    setFocus(Qt::OtherFocusReason);
    QList<QWidget *> chain;
    for (int i : {0, 1, 2, 4, 5, 6, 7})
        chain << element(QStringLiteral("imgButton(%1)").arg(i));
    for (int i : {0, 1, 2, 3, 4, 5, 7})
        chain << element(QStringLiteral("imgCtrlButton(%1)").arg(i));
    // The handles' grips, when shown, then the typed times.
    chain << element(QStringLiteral("imgSelectTop1")) << element(QStringLiteral("imgSelectTop2"));
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
    if (newNotice && m_notice.kind != Notice::Kind::None)
        skin_access::announce(notice);
    // The end of a decode: the time line is there, with the file and its length.
    if (decodeEnded && m_controls->model().isFileOpen())
        skin_access::announce(element(QStringLiteral("picOpened")));
}
