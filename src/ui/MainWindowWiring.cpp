// How the main window's elements forward their pointer events.
#include "ui/MainWindow.h"

#include "settings/Vendor.h"
#include "playback/Timeline.h"
#include "playback/PlaybackController.h"
#include "ui/Chrome.h"
#include "ui/HandleKeys.h"
#include "ui/MenuHolder.h"
#include "ui/PlayMarkers.h"
#include "ui/SelectionHandles.h"
#include "ui/ToolbarActions.h"
#include "ui/SkinWidgets.h"
#include "ui/TimelineInput.h"
#include "ui/TypedTimeField.h"
#include "ui/WaveformView.h"

#include <QApplication>
#include <QUrl>
#include <QCoreApplication>

namespace {
// Positions arrive in logical pixels; the time line works in twips.
float twips(QPointF pos) { return float(pos.x() * 15.0); }
}

// While a button is held, Qt sends every move to the pressed element. The hint
// line still follows the element under the pointer, as the skin always did.
int MainWindow::indexUnderPointer(const QString &setName, const QWidget *grabber, QPointF pos) const
{
    const QWidget *under = childAt(grabber->mapTo(this, pos.toPoint()));
    const auto *hot = qobject_cast<const SkinImage *>(under);
    if (!hot || !hot->objectName().startsWith(setName + u'('))
        return -1;
    return hot->index();
}

void MainWindow::wireButtonSet(const QString &set, int count, const ButtonSetHandlers &handlers)
{
    for (int i = 0; i < count; ++i) {
        SkinImage *hot = image(QStringLiteral("%1(%2)").arg(set).arg(i));
        connect(hot, &SkinImage::pressed, this, [handlers](int index) { handlers.pressed(index); });
        connect(hot, &SkinImage::moved, this, [this, hot, set, handlers](int index, QPointF pos, Qt::MouseButtons buttons) {
            if (buttons != Qt::NoButton)
                index = indexUnderPointer(set, hot, pos);
            if (const QWidget *target = image(QStringLiteral("%1(%2)").arg(set).arg(index)))
                handlers.moved(index, target->toolTip());
        });
        connect(hot, &SkinImage::released, this, [handlers](int index) { handlers.released(index); });
        connect(hot, &SkinImage::clicked, this, [handlers](int index) { handlers.clicked(index); });
    }
}

void MainWindow::wireToolbarAndTransport()
{
    Chrome &chrome = m_controls->chrome();
    wireButtonSet(QStringLiteral("imgButton"), ToolbarActions::ButtonCount,
                  {[&chrome](int i) { chrome.toolbarPressed(i); },
                   [&chrome](int i, const QString &tip) { chrome.toolbarMoved(i, tip); },
                   [&chrome](int i) { chrome.toolbarReleased(i); },
                   [this](int i) {
                       if (i != 3)  // the fourth place holds no button
                           m_controls->toolbar().press(ToolbarActions::Button(i));
                   }});
    wireButtonSet(QStringLiteral("imgCtrlButton"), PlaybackController::ButtonCount,
                  {[&chrome](int i) { chrome.transportPressed(i); },
                   [&chrome](int i, const QString &tip) { chrome.transportMoved(i, tip); },
                   [&chrome](int i) { chrome.transportReleased(i); },
                   [this](int i) { m_controls->playback().press(PlaybackController::Button(i)); }});
    for (int i = 0; i < int(MenuHolder::tree().size()); ++i) {
        SkinImage *hot = image(QStringLiteral("imgMenu(%1)").arg(i));
        connect(hot, &SkinImage::moved, this, [&chrome](int index) { chrome.menuMoved(index); });
        connect(hot, &SkinImage::clicked, this, [this](int index) { showMenu(index); });
    }
}

void MainWindow::wireChrome()
{
    SkinImage *min = image(QStringLiteral("imgMin"));
    connect(min, &SkinImage::moved, this, [this, min] { m_controls->chrome().minimiseMoved(min->toolTip()); });
    connect(min, &SkinImage::clicked, this, [this] { minimise(); });

    SkinImage *exit = image(QStringLiteral("imgExit"));
    connect(exit, &SkinImage::moved, this, [this] { m_controls->chrome().closeMoved(); });
    connect(exit, &SkinImage::clicked, this, [this] { requestClose(); });

    SkinImage *open = image(QStringLiteral("imgOpen"));
    connect(open, &SkinImage::moved, this, [this] { m_controls->chrome().quickStartMoved(); });
    connect(open, &SkinImage::clicked, this,
            [this] { m_controls->toolbar().press(ToolbarActions::Button::Open); });

    connect(image(QStringLiteral("imgFeedback")), &SkinImage::clicked, this, [this] {
        m_shell.openUrl(QUrl(QStringLiteral("mailto:") + QLatin1String(SupportMailAddress)));
    });
}

void MainWindow::wireTimeline()
{
    for (const char *name : {"imgTopPoint", "imgBottomPoint"}) {
        SkinImage *grip = image(QLatin1String(name));
        connect(grip, &SkinImage::pressed, this, [this](int, QPointF pos) { m_controls->markers().press(twips(pos)); });
        connect(grip, &SkinImage::moved, this, [this](int, QPointF pos, Qt::MouseButtons buttons) {
            if (buttons != Qt::NoButton)
                m_controls->markers().move(twips(pos));
        });
        connect(grip, &SkinImage::released, this, [this](int, QPointF pos) { m_controls->markers().release(twips(pos)); });
    }
    for (int handle = 0; handle < 2; ++handle) {
        for (const char *kind : {"imgSelectTop", "imgSelectBottom"}) {
            SkinImage *grip = image(QStringLiteral("%1%2").arg(QLatin1String(kind)).arg(handle + 1));
            connect(grip, &SkinImage::pressed, this, [this, handle](int, QPointF pos) { m_controls->handles().press(handle, twips(pos)); });
            connect(grip, &SkinImage::moved, this, [this, handle](int, QPointF pos, Qt::MouseButtons buttons) {
                if (buttons != Qt::NoButton)
                    m_controls->handles().move(handle, twips(pos));
            });
            connect(grip, &SkinImage::released, this, [this, handle](int, QPointF pos) { m_controls->handles().release(handle, twips(pos)); });
        }
    }
    // A focused handle's grip takes the nudge keys.
    new HandleKeys(m_controls->handles(), m_controls->history(), element(QStringLiteral("imgSelectTop1")),
                   element(QStringLiteral("imgSelectTop2")), this);
    auto *panel = qobject_cast<SkinPanel *>(element(QStringLiteral("picOpened")));
    // The open file's own waveform over the panel's field, under the markers.
    m_waveform = new WaveformView(panel);
    m_waveform->setGeometry(WaveformView::panelGeometry());
    m_waveform->lower();
    // A click seeks; a drag selects or moves the view and leaves playback alone.
    auto *input = new TimelineInput(m_controls->model(), m_controls->view(), m_controls->handles(), *panel,
                                    m_controls->history(), this);
    connect(input, &TimelineInput::clicked, this, [this](QPointF pos) { m_controls->markers().panelPress(twips(pos)); });
}

void MainWindow::wireTypedTimes()
{
    m_typedTime = new TypedTimeField(this);
    for (const auto &[key, which] : {std::pair{"lblSelBegin", 0}, {"lblSelEnd", 1}}) {
        SkinLabel *time = label(QLatin1String(key));
        time->setCursor(Qt::IBeamCursor);
        time->setToolTip(QCoreApplication::translate("MainWindowWiring", "单击输入时间"));
        connect(time, &SkinLabel::pressed, this, [this, time, which = which] {
            if (m_controls->model().lengthMs() > 0 && !isCutRunning())
                m_typedTime->openOver(time, which);
        });
    }
    connect(m_typedTime, &TypedTimeField::entered, this, [this](int which, const QString &text) {
        const auto ms = timeline::parseTypedTime(text);
        SelectionHandles &handles = m_controls->handles();
        const QString refused =
            !ms ? QCoreApplication::translate("MainWindowWiring", "看不懂这个时间：请写成 00:00:41.500、1:02.5 或 41.5")
            : which == 0 ? handles.typeStart(*ms)
                         : handles.typeEnd(*ms);
        if (!refused.isEmpty()) {
            // marked in the box, and said
            m_typedTime->markRefused(refused);
            speak(refused);
            return;
        }
        m_typedTime->closeField();
    });
}
