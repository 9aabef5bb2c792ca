// The keyboard: one table of keys and what each does, as a person working the
// time line expects. A typed time field that has the focus keeps its own keys,
// and a button that Tab has focused takes Space and Return for itself.
#include "ui/MainWindow.h"

#include "playback/Timeline.h"

#include "ui/SkinWidgets.h"

#include <QAbstractButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t StepMs = 1000;       // ← and →
constexpr std::int64_t FineStepMs = 100;    // with Shift, unless a pixel is less
constexpr std::int64_t PreviewMs = 2000;    // Shift+[ and Shift+]
constexpr double KeyZoom = 0.5;             // + and -

}  // namespace

void MainWindow::wireKeyboard()
{
    MainController &c = m_controller;
    EditorState &s = c.state;
    auto fineStep = [&s] {
        const double msPerPixel = s.View.lengthMs() / (timeline::TimelineSpan / timeline::TwipsPerPixel);
        return std::max<std::int64_t>(1, std::min<std::int64_t>(FineStepMs, std::llround(msPerPixel)));
    };
    auto zoomAtPlayHead = [&c, &s](double factor) {
        const double head = c.face.playHeadX;
        const bool onView = head >= 0 && head <= timeline::TimelineSpan && s.PlayPositionMs > 0;
        c.view().zoomAround(factor, onView ? head : timeline::TimelineSpan / 2);
    };
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } table[] = {
        {Qt::Key_Space, [&c] { c.playback().togglePlayPause(); }},
        {Qt::Key_Home, [&c] { c.markers().seekTo(0); }},
        {Qt::Key_End, [&c, &s] { c.markers().seekTo(s.LengthMs); }},
        {Qt::Key_BracketLeft, [&c] { c.playback().press(PlaybackController::Button::SetStart); }},
        {Qt::Key_BracketRight, [&c] { c.playback().press(PlaybackController::Button::SetEnd); }},
        {Qt::Key_Left, [&c, &s] { c.markers().seekTo(s.PlayPositionMs - StepMs); }},
        {Qt::Key_Right, [&c, &s] { c.markers().seekTo(s.PlayPositionMs + StepMs); }},
        {Qt::SHIFT | Qt::Key_Left, [&c, &s, fineStep] { c.markers().seekTo(s.PlayPositionMs - fineStep()); }},
        {Qt::SHIFT | Qt::Key_Right, [&c, &s, fineStep] { c.markers().seekTo(s.PlayPositionMs + fineStep()); }},
        // Shift+[ and Shift+] arrive as the braces on most keyboards
        {Qt::Key_BraceLeft,
         [&c, &s] {
             if (s.Sel.hasEnd())
                 c.playback().playStretch(s.Sel.startMs, std::min(s.Sel.startMs + PreviewMs, s.Sel.endMs));
         }},
        {Qt::Key_BraceRight,
         [&c, &s] {
             if (s.Sel.hasEnd())
                 c.playback().playStretch(std::max(s.Sel.endMs - PreviewMs, s.Sel.startMs), s.Sel.endMs);
         }},
        {Qt::Key_Plus, [zoomAtPlayHead] { zoomAtPlayHead(KeyZoom); }},
        {Qt::Key_Equal, [zoomAtPlayHead] { zoomAtPlayHead(KeyZoom); }},
        {Qt::Key_Minus, [zoomAtPlayHead] { zoomAtPlayHead(1 / KeyZoom); }},
        {Qt::CTRL | Qt::Key_O, [&c] { c.toolbar().press(ToolbarActions::Button::Open); }},
        {Qt::CTRL | Qt::Key_S, [&c] { c.toolbar().press(ToolbarActions::Button::Save); }},
        {Qt::CTRL | Qt::Key_Q, [this] { requestClose(); }},
        {Qt::ALT | Qt::Key_F, [this] { showMenu(0); }},
        {Qt::ALT | Qt::Key_T, [this] { showMenu(1); }},
        {Qt::ALT | Qt::Key_S, [this] { showMenu(2); }},
        {Qt::ALT | Qt::Key_A, [this] { showMenu(3); }},
    };
    for (const auto &entry : table) {
        auto *shortcut = new QShortcut(entry.keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        // While a cut runs the window takes no orders, as its buttons take none.
        connect(shortcut, &QShortcut::activated, this, [this, action = entry.action] {
            if (m_controller.face.jobButtonsEnabled)
                action();
        });
    }
}

void MainWindow::wireJobControls()
{
    // Escape stops the running decode or cut, as the cancel button beside its
    // bar does; between jobs the key is left to whoever has the focus.
    m_cancelKey = new QShortcut(Qt::Key_Escape, this);
    m_cancelKey->setContext(Qt::WindowShortcut);
    m_cancelKey->setEnabled(false);
    connect(m_cancelKey, &QShortcut::activated, this, [this] { m_controller.cancelJob(); });
    for (const QString &key : {QStringLiteral("cmdCancelDecode"), QStringLiteral("cmdCancelCut")}) {
        if (auto *button = qobject_cast<QAbstractButton *>(element(key)))
            connect(button, &QAbstractButton::clicked, this, [this] { m_controller.cancelJob(); });
    }
    if (SkinLabel *folder = label(QStringLiteral("lblNoticeFolder")))
        connect(folder, &SkinLabel::clicked, this, [this] { m_controller.saveFlow().openSavedFolder(); });
    if (SkinLabel *play = label(QStringLiteral("lblNoticePlay")))
        connect(play, &SkinLabel::clicked, this, [this] { m_controller.saveFlow().playSaved(); });
}
