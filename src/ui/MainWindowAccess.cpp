// The main window for screen readers and the keyboard: every control that
// acts is a named push button, menu item, slider or progress bar (see
// SkinAccessible), reading the face and the editor state when asked; the
// focus goes round the toolbar, the transport bar, the typed times and the
// save button; the end of a decode and the status strip's notices are spoken.
#include "ui/MainWindow.h"

#include <iterator>

#include "playback/PlaybackController.h"
#include "playback/Timeline.h"
#include "ui/FocusRing.h"
#include "ui/MenuHolder.h"
#include <QMenu>
#include "ui/PlayMarkers.h"
#include "ui/SelectionHandles.h"
#include "ui/SkinAccessible.h"
#include "ui/SkinWidgets.h"
#include "ui/WaveformView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>

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

// A time as it is read aloud: "1 分 12.345 秒" in Chinese, "1:12.345" in
// English. A format written as a clock (with colons) takes its minutes and
// seconds with leading zeros.
QString spokenTime(std::int64_t ms, int decimals)
{
    ms = std::max<std::int64_t>(0, ms);
    const char *source = ms >= 3600000 ? QT_TRANSLATE_NOOP("Accessible", "%1 小时 %2 分 %3 秒")
                         : ms >= 60000 ? QT_TRANSLATE_NOOP("Accessible", "%1 分 %2 秒")
                                       : QT_TRANSLATE_NOOP("Accessible", "%1 秒");
    const QString format = spoken(source);
    const bool clock = format.contains(u':');
    QString minutes = QString::number(ms / 60000 % 60);
    QString secs = QString::number(double(ms % 60000) / 1000.0, 'f', decimals);
    if (clock) {
        secs = secs.rightJustified(decimals > 0 ? 3 + decimals : 2, u'0');
        if (ms >= 3600000)
            minutes = minutes.rightJustified(2, u'0');
    }
    if (ms >= 3600000)
        return format.arg(QString::number(ms / 3600000), minutes, secs);
    if (ms >= 60000)
        return format.arg(minutes, secs);
    return format.arg(secs);
}

double seconds(std::int64_t ms)
{
    return double(ms) / 1000.0;
}

std::int64_t milliseconds(double seconds)
{
    return std::llround(seconds * 1000.0);
}

bool isPlaying(const PlayState &play)
{
    return play.loaded && !play.paused;
}

}  // namespace

void MainWindow::wireAccessibility()
{
    describeButtons();
    describeTimeline();
    describeFields();

    // The window, its panels and nothing else hold the rest: the pictures that
    // only decorate (the play head's line and grips, the handles' other
    // halves, the bars' fills, the stores of lit pictures), the quick-start
    // picture (the toolbar's open button does what it does, and takes the
    // focus) and the waveform are left out of the tree.
    skin_access::describe(this, {.role = QAccessible::Window});
    skin_access::leaveOut(element(QStringLiteral("imgOpen")));
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
    // them, unless the tip would repeat another button's name or say it in
    // other words than the window's; pressed as a click presses them.
    auto button = [](SkinImage *hot, std::function<QString()> name = {}) {
        if (!hot)
            return;
        if (!name)
            name = [hot] { return hot->toolTip(); };
        skin_access::describe(hot, {.role = QAccessible::Button, .name = std::move(name),
                                    .press = [hot] { hot->activate(); }});
    };
    const QHash<QString, const char *> ownNames = {
        {QStringLiteral("imgButton(4)"), QT_TRANSLATE_NOOP("Accessible", "给朋友发邮件分享你的铃声")},
        {QStringLiteral("imgCtrlButton(6)"), QT_TRANSLATE_NOOP("Accessible", "把选择的段落保存为铃声")},
    };
    auto named = [&](const QString &key) -> std::function<QString()> {
        if (const char *own = ownNames.value(key))
            return [own] { return spoken(own); };
        return {};
    };
    for (int i = 0; i < 8; ++i) {
        const QString key = QStringLiteral("imgButton(%1)").arg(i);
        SkinImage *hot = image(key);
        if (hot && !hot->toolTip().isEmpty())
            button(hot, named(key));
    }
    for (int i = 0; i < PlaybackController::ButtonCount; ++i) {
        const QString key = QStringLiteral("imgCtrlButton(%1)").arg(i);
        button(image(key), named(key));
    }
    button(image(QStringLiteral("imgMin")));
    button(image(QStringLiteral("imgExit")));
    button(image(QStringLiteral("imgFeedback")));

    // The menu strip is a menu bar; its painted words are its menu items, each
    // with its popup under it.
    static const char *const menuWords[] = {QT_TRANSLATE_NOOP("Accessible", "文件(F)"),
                                           QT_TRANSLATE_NOOP("Accessible", "编辑(E)"),
                                           QT_TRANSLATE_NOOP("Accessible", "工具(T)"),
                                           QT_TRANSLATE_NOOP("Accessible", "设置(S)"),
                                           QT_TRANSLATE_NOOP("Accessible", "关于(A)")};
    QList<QWidget *> words;
    for (int i = 0; i < int(std::size(menuWords)); ++i) {
        SkinImage *word = image(QStringLiteral("imgMenu(%1)").arg(i));
        if (!word)
            continue;
        if (QMenu *popup = m_menus ? m_menus->popup(i) : nullptr)
            popup->setAccessibleName(spoken(menuWords[i]));
        skin_access::describe(word, {.role = QAccessible::MenuItem, .name = [i] { return spoken(menuWords[i]); },
                                     .press = [word] { word->activate(); },
                                     .popup = [this, i]() -> QWidget * { return m_menus ? m_menus->popup(i) : nullptr; }});
        words.append(word);
    }
    m_menuStrip = new QObject(this);
    m_menuStrip->setObjectName(QStringLiteral("menuStrip"));
    skin_access::describeGroup(m_menuStrip, QAccessible::MenuBar, [] { return spoken(QT_TRANSLATE_NOOP("Accessible", "菜单栏")); }, words);
}

// The time line and the selection's handles, as sliders over the open file in
// seconds. Their names say where they stand, as the time is read aloud.
void MainWindow::describeTimeline()
{
    const EditorModel &model = m_controls->model();
    // Its value is the play position; a new value plays from there, as a press
    // on the time line does. Its name tells the position where playback
    // rests: while it plays, the name keeps the place it started from, so a
    // screen reader is not told a new name ten times a second.
    if (QWidget *line = element(QStringLiteral("picOpened"))) {
        skin_access::describe(
            line, {.role = QAccessible::Slider,
                   .name = [this, &model] {
                       if (!isPlaying(model.play()))
                           m_toldPositionMs = model.play().positionMs;
                       return spoken(QT_TRANSLATE_NOOP("Accessible", "播放位置 %1")).arg(spokenTime(m_toldPositionMs, 1));
                   },
                   .description = [&model] {
                       const QString file = model.media() ? QFileInfo(model.media()->sourcePath).fileName() : QString();
                       return spoken(QT_TRANSLATE_NOOP("Accessible", "%1，长度 %2")).arg(file, spokenTime(model.lengthMs(), 1));
                   },
                   // while it plays, in whole seconds: a value told once a second
                   .value = [&model] {
                       const std::int64_t at = model.play().positionMs;
                       return seconds(isPlaying(model.play()) ? at / 1000 * 1000 : at);
                   },
                   .maximum = [&model] { return seconds(model.lengthMs()); },
                   .setValue = [this](double s) { m_controls->markers().seekTo(milliseconds(s)); },
                   // screen readers read the value to the step's decimals
                   .step = 0.1});
    }
    // A new value moves the handle as a typed time does.
    const struct {
        const char *grip;
        const char *name;
        bool end;
    } handles[] = {{"imgSelectTop1", QT_TRANSLATE_NOOP("Accessible", "开始 %1"), false},
                   {"imgSelectTop2", QT_TRANSLATE_NOOP("Accessible", "结束 %1"), true}};
    for (const auto &handle : handles) {
        QWidget *grip = element(QLatin1String(handle.grip));
        if (!grip)
            continue;
        auto markMs = [&model, end = handle.end] {
            return end ? model.marks().endMs.value_or(0) : model.marks().startMs;
        };
        skin_access::describe(
            grip, {.role = QAccessible::Slider,
                   .name = [markMs, name = handle.name] { return spoken(name).arg(spokenTime(markMs(), 3)); },
                   .description = [] { return spoken(QT_TRANSLATE_NOOP("Accessible", "左右方向键移动 10 毫秒，加 Shift 100 毫秒，加 Ctrl 1 秒")); },
                   .value = [markMs] { return seconds(markMs()); },
                   .maximum = [&model] { return seconds(model.lengthMs()); },
                   .setValue = [this, end = handle.end](double s) {
                       SelectionHandles &h = m_controls->handles();
                       (void)(end ? h.typeEnd(milliseconds(s)) : h.typeStart(milliseconds(s)));
                   },
                   // a millisecond, so that a screen reader reads the value whole
                   .step = 0.001});
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
    // The bars' cancel buttons, each named for the job it stops.
    for (const auto &[key, name] : {std::pair{"cmdCancelDecode", QT_TRANSLATE_NOOP("Accessible", "取消打开")},
                                    std::pair{"cmdCancelCut", QT_TRANSLATE_NOOP("Accessible", "取消保存")}}) {
        if (QWidget *cancel = element(QLatin1String(key)))
            cancel->setAccessibleName(spoken(name));
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

    // The status strip: the notice, spoken as a notification when a new one
    // comes, and the saved file's two links.
    if (SkinLabel *notice = label(QStringLiteral("lblNotice")))
        skin_access::describe(notice, {.role = QAccessible::Notification, .name = [this] { return m_noticeText; }});
    const struct {
        const char *key;
        const char *name;
    } links[] = {{"lblNoticeFolder", QT_TRANSLATE_NOOP("Accessible", "打开铃声所在的文件夹")},
                 {"lblNoticePlay", QT_TRANSLATE_NOOP("Accessible", "播放保存的铃声")}};
    for (const auto &link : links) {
        if (SkinLabel *l = label(QLatin1String(link.key)))
            skin_access::describe(l, {.role = QAccessible::Button, .name = [name = link.name] { return spoken(name); },
                                      .press = [l] { l->activate(); }});
    }

    // What happens away from the focus and the notice (the end of a decode)
    // is said through a notification of its own, which shows nothing.
    m_speech = new QWidget(this);
    m_speech->setObjectName(QStringLiteral("speech"));
    m_speech->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_speech->setGeometry(0, 0, 1, 1);
    skin_access::describe(m_speech, {.role = QAccessible::Notification, .name = [this] { return m_spoken; }});
}

// The focus: the window itself holds it until Tab moves it into the chain, so
// Space plays and pauses until a control has been chosen. The chain runs as
// the job does: open, transport, the time line, its handles, the typed times,
// save.
void MainWindow::wireFocusChain()
{
    setFocusPolicy(Qt::ClickFocus);
    setFocus(Qt::OtherFocusReason);
    QList<QWidget *> chain;
    for (int i : {0, 1, 2, 4, 5, 6, 7})
        chain << element(QStringLiteral("imgButton(%1)").arg(i));
    for (int i : {0, 1, 2, 3, 4, 5, 7})
        chain << element(QStringLiteral("imgCtrlButton(%1)").arg(i));
    // The time line and the handles' grips, when shown, then the typed times.
    chain << element(QStringLiteral("picOpened"));
    chain << element(QStringLiteral("imgSelectTop1")) << element(QStringLiteral("imgSelectTop2"));
    chain << element(QStringLiteral("lblSelBegin")) << element(QStringLiteral("lblSelEnd"))
          << element(QStringLiteral("imgCtrlButton(6)"));
    chain.removeAll(nullptr);
    new FocusRing(this);
    for (QWidget *w : std::as_const(chain))
        w->setFocusPolicy(Qt::TabFocus);
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::speak(const QString &text)
{
    m_spoken = text;
    skin_access::announce(m_speech);
}

void MainWindow::syncAccessibility(bool opened)
{
    QWidget *notice = element(QStringLiteral("lblNotice"));
    bool newNotice = false;
    for (QWidget *w : std::as_const(m_elements)) {
        if (skin_access::refresh(w) && w == notice)
            newNotice = true;
    }
    // A new notice in the status strip (a save done or cancelled, an open
    // cancelled) is spoken.
    if (newNotice && m_notice.kind != Notice::Kind::None)
        skin_access::announce(notice);
    // The end of a decode: the file and its length are said, and the time
    // line takes the focus unless a time is being typed.
    const EditorModel &model = m_controls->model();
    if (opened) {
        QWidget *line = element(QStringLiteral("picOpened"));
        const QString file = model.media() ? QFileInfo(model.media()->sourcePath).fileName() : QString();
        speak(spoken(QT_TRANSLATE_NOOP("Accessible", "已打开 %1，长度 %2")).arg(file, spokenTime(model.lengthMs(), 1)));
        if (line && !qobject_cast<QLineEdit *>(QApplication::focusWidget()))
            line->setFocus(Qt::OtherFocusReason);
    }
}
