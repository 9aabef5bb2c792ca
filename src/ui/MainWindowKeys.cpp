// The keyboard: one table of keys and what each does, as a person working the
// time line expects. A typed time field that has the focus keeps its own keys,
// and a button that Tab has focused takes Space and Return for itself.
#include "ui/MainWindow.h"

#include "playback/Timeline.h"
#include "playback/PlaybackController.h"
#include "ui/EditHistory.h"
#include "ui/PlayMarkers.h"
#include "ui/TimelineFace.h"
#include "ui/TimelineView.h"
#include "ui/ToolbarActions.h"
#include "pipeline/SaveFlow.h"

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
    MainControls &c = *m_controls;
    const EditorModel &m = c.model();
    auto fineStep = [&m] {
        const double msPerPixel = m.view().lengthMs() / (timeline::TimelineSpan / timeline::TwipsPerPixel);
        return std::max<std::int64_t>(1, std::min<std::int64_t>(FineStepMs, std::llround(msPerPixel)));
    };
    auto zoomAtPlayHead = [&c, &m](double factor) {
        const double head = c.timelineFace().playHeadX;
        const bool onView = head >= 0 && head <= timeline::TimelineSpan && m.play().positionMs > 0;
        c.view().zoomAround(factor, onView ? head : timeline::TimelineSpan / 2);
    };
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } table[] = {
        {Qt::Key_Space, [&c] { c.playback().togglePlayPause(); }},
        {Qt::Key_Home, [&c] { c.markers().seekTo(0); }},
        {Qt::Key_End, [&c, &m] { c.markers().seekTo(m.lengthMs()); }},
        {Qt::Key_BracketLeft, [&c] { c.playback().press(PlaybackController::Button::SetStart); }},
        {Qt::Key_BracketRight, [&c] { c.playback().press(PlaybackController::Button::SetEnd); }},
        {Qt::Key_L, [&c] { c.playback().loop(); }},
        {Qt::Key_Left, [&c, &m] { c.markers().seekTo(m.play().positionMs - StepMs); }},
        {Qt::Key_Right, [&c, &m] { c.markers().seekTo(m.play().positionMs + StepMs); }},
        {Qt::SHIFT | Qt::Key_Left, [&c, &m, fineStep] { c.markers().seekTo(m.play().positionMs - fineStep()); }},
        {Qt::SHIFT | Qt::Key_Right, [&c, &m, fineStep] { c.markers().seekTo(m.play().positionMs + fineStep()); }},
        // Shift+[ and Shift+] arrive as the braces on most keyboards
        {Qt::Key_BraceLeft,
         [&c, &m] {
             if (const auto sel = m.marks().selection())
                 c.playback().playStretch(sel->startMs, std::min(sel->startMs + PreviewMs, sel->endMs));
         }},
        {Qt::Key_BraceRight,
         [&c, &m] {
             if (const auto sel = m.marks().selection())
                 c.playback().playStretch(std::max(sel->endMs - PreviewMs, sel->startMs), sel->endMs);
         }},
        {Qt::Key_Plus, [zoomAtPlayHead] { zoomAtPlayHead(KeyZoom); }},
        {Qt::Key_Equal, [zoomAtPlayHead] { zoomAtPlayHead(KeyZoom); }},
        {Qt::Key_Minus, [zoomAtPlayHead] { zoomAtPlayHead(1 / KeyZoom); }},
        {Qt::CTRL | Qt::Key_O, [&c] { c.toolbar().press(ToolbarActions::Button::Open); }},
        {Qt::CTRL | Qt::Key_S, [&c] { c.toolbar().press(ToolbarActions::Button::Save); }},
        {Qt::CTRL | Qt::Key_Q, [this] { requestClose(); }},
        {Qt::ALT | Qt::Key_F, [this] { showMenu(0, true); }},
        {Qt::ALT | Qt::Key_E, [this] { showMenu(1, true); }},
        {Qt::ALT | Qt::Key_T, [this] { showMenu(2, true); }},
        {Qt::ALT | Qt::Key_S, [this] { showMenu(3, true); }},
        {Qt::ALT | Qt::Key_A, [this] { showMenu(4, true); }},
        {Qt::CTRL | Qt::Key_Z, [&c] { c.history().undo(); }},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, [&c] { c.history().redo(); }},
        {Qt::CTRL | Qt::Key_Y, [&c] { c.history().redo(); }},
    };
    for (const auto &entry : table) {
        auto *shortcut = new QShortcut(entry.keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        // While a cut runs the window takes no orders, as its buttons take none.
        connect(shortcut, &QShortcut::activated, this, [this, action = entry.action] {
            if (!isCutRunning())
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
    connect(m_cancelKey, &QShortcut::activated, this, [this] { m_controls->cancelJob(); });
    for (const QString &key : {QStringLiteral("cmdCancelDecode"), QStringLiteral("cmdCancelCut")}) {
        if (auto *button = qobject_cast<QAbstractButton *>(element(key)))
            connect(button, &QAbstractButton::clicked, this, [this] { m_controls->cancelJob(); });
    }
    if (SkinLabel *folder = label(QStringLiteral("lblNoticeFolder")))
        connect(folder, &SkinLabel::clicked, this, [this] { m_controls->saveFlow().openSavedFolder(); });
    if (SkinLabel *play = label(QStringLiteral("lblNoticePlay")))
        connect(play, &SkinLabel::clicked, this, [this] { m_controls->saveFlow().playSaved(); });
}
