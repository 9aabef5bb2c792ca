// Drawing the controller's face and lights onto the main window's elements.
#include "ui/MainWindow.h"

#include "Skin.h"
#include "playback/Timeline.h"
#include "ui/SkinWidgets.h"
#include "ui/WaveformView.h"

#include <QShortcut>

#include <cmath>

namespace {

int pixels(float twips) { return int(std::lround(twips / 15.0f)); }

void setCaption(SkinLabel *label, const QString &text)
{
    if (label)
        label->setCaption(text);
}

void placeX(QWidget *w, float twips)
{
    if (w && w->x() != pixels(twips))
        w->move(pixels(twips), w->y());
}

void setWidth(QWidget *w, float twips)
{
    const int width = std::max(0, pixels(twips));
    if (w && w->width() != width)
        w->resize(width, w->height());
}

void setShown(QWidget *w, bool shown)
{
    if (w && w->isVisibleTo(w->parentWidget()) != shown)
        w->setVisible(shown);
}

}  // namespace

void MainWindow::syncFromFace()
{
    const MainFace &f = m_controller.face;
    setCaption(label(QStringLiteral("lblTime")), f.lblTime);
    setCaption(label(QStringLiteral("lblSelBegin")), f.lblSelBegin);
    setCaption(label(QStringLiteral("lblSelEnd")), f.lblSelEnd);
    setCaption(label(QStringLiteral("lblSelLength")), f.lblSelLength);
    setCaption(label(QStringLiteral("lblViewBegin")), f.lblViewBegin);
    setCaption(label(QStringLiteral("lblViewEnd")), f.lblViewEnd);
    setCaption(label(QStringLiteral("lblViewLength")), f.lblViewLength);
    setCaption(label(QStringLiteral("lblFileName")), f.lblFileName);
    setCaption(label(QStringLiteral("lblPB")), f.lblPB);
    setCaption(label(QStringLiteral("lblPro")), f.lblPro);
    setCaption(label(QStringLiteral("lblText")), f.lblText);

    const QWidget *decodeBar = element(QStringLiteral("picPBBack"));
    const bool decodeEnded = decodeBar && decodeBar->isVisibleTo(this) && !f.picPBBackVisible;
    setShown(element(QStringLiteral("picOpened")), f.picOpenedVisible);
    setShown(element(QStringLiteral("picPBBack")), f.picPBBackVisible);
    setShown(element(QStringLiteral("picPro")), f.picProVisible);
    setShown(element(QStringLiteral("cmdCancelDecode")), f.picPBBackVisible);
    setShown(element(QStringLiteral("cmdCancelCut")), f.picProVisible);
    if (m_cancelKey)
        m_cancelKey->setEnabled(f.picPBBackVisible || f.picProVisible);
    syncNotice();

    placeX(element(QStringLiteral("imgTopPoint")), f.playHeadX);
    placeX(element(QStringLiteral("imgBottomPoint")), f.playHeadX);
    placeX(element(QStringLiteral("imgLine")), f.playHeadX + 90.0f);
    for (int h = 0; h < 2; ++h) {
        const QString n = QString::number(h + 1);
        // a handle whose time is outside the stretch on view is not drawn
        const bool onView = f.handleX[h] >= -0.5f && f.handleX[h] <= timeline::TimelineSpan + 0.5f;
        for (const QString &grip : {QStringLiteral("imgSelectTop") + n, QStringLiteral("imgSelectBottom") + n}) {
            placeX(element(grip), f.handleX[h]);
            setShown(element(grip), f.handleVisible[h] && onView);
        }
        placeX(element(QStringLiteral("imgSelectLine") + n), f.handleX[h] + 90.0f);
        setShown(element(QStringLiteral("imgSelectLine") + n), f.handleVisible[h] && onView);
    }

    if (m_waveform) {
        const EditorState &s = m_controller.state;
        if (m_waveform->summary() != s.Peaks)
            m_waveform->setSummary(s.Peaks);
        if (m_waveform->visibleStartMs() != s.View.startMs || m_waveform->visibleEndMs() != s.View.endMs)
            m_waveform->setVisibleSpan(s.View.startMs, s.View.endMs);
        const Selection shaded = s.Sel.hasEnd() ? s.Sel : Selection{};
        if (shaded != m_shadedSelection) {
            m_shadedSelection = shaded;
            m_waveform->setSelection(double(shaded.startMs), double(shaded.endMs));
        }
    }

    setWidth(element(QStringLiteral("imgPB")), f.imgPBWidth);
    setWidth(element(QStringLiteral("imgPro")), f.imgProWidth);

    // The face changes on every tick of the position timer; the buttons only
    // around a cut, so they are touched only then.
    if (m_jobButtonsEnabled != f.jobButtonsEnabled) {
        m_jobButtonsEnabled = f.jobButtonsEnabled;
        for (QWidget *button : std::as_const(m_jobButtons))
            button->setEnabled(m_jobButtonsEnabled);
    }
    syncAccessibility(decodeEnded);
}

void MainWindow::syncNotice()
{
    const MainFace &f = m_controller.face;
    SkinLabel *notice = label(QStringLiteral("lblNotice"));
    SkinLabel *folder = label(QStringLiteral("lblNoticeFolder"));
    SkinLabel *play = label(QStringLiteral("lblNoticePlay"));
    if (!notice || !folder || !play)
        return;
    // The face changes on every tick of the position timer; the notice only
    // after a job, so it is laid out again only then.
    if (f.noticeText == m_noticeText && f.noticeFile == m_noticeFile)
        return;
    m_noticeText = f.noticeText;
    m_noticeFile = f.noticeFile;
    const bool withFile = !f.noticeText.isEmpty() && !f.noticeFile.isEmpty();
    // The notice ends before the feedback link; a long name gives way in its middle.
    const int right = element(QStringLiteral("imgFeedback")) ? element(QStringLiteral("imgFeedback"))->x() - 8
                                                            : width();
    const int gap = 10;
    const int actions = withFile ? folder->sizeHint().width() + play->sizeHint().width() + 2 * gap : 0;
    const QString shown = notice->fontMetrics().elidedText(f.noticeText, Qt::ElideMiddle,
                                                           std::max(0, right - notice->x() - actions));
    if (notice->text() != shown)
        notice->setCaption(shown);
    notice->setToolTip(f.noticeFile);
    setShown(notice, !f.noticeText.isEmpty());
    if (withFile) {
        folder->move(notice->x() + notice->width() + gap, folder->y());
        play->move(folder->x() + folder->width() + gap, play->y());
    }
    setShown(folder, withFile);
    setShown(play, withFile);
}

void MainWindow::syncLights()
{
    const Chrome &chrome = m_controller.chrome;
    auto light = [this](const QString &hotKey, Chrome::Light state, const QString &litStore,
                        const QString &pressedStore) {
        SkinImage *hot = image(hotKey);
        if (!hot)
            return;
        const SkinImage *store = state == Chrome::Light::Lit       ? image(litStore)
                                 : state == Chrome::Light::Pressed ? image(pressedStore)
                                                                   : nullptr;
        hot->setPicture(store ? store->picture() : QPixmap());
    };
    for (int i = 0; i < 8; ++i)
        light(QStringLiteral("imgButton(%1)").arg(i), chrome.toolbar[i],
              QStringLiteral("imgButtonData(%1)").arg(i), {});
    for (int i = 0; i < 7; ++i)
        light(QStringLiteral("imgCtrlButton(%1)").arg(i), chrome.transport[i],
              QStringLiteral("imgCtrlButtonLight(%1)").arg(i), QStringLiteral("imgCtrlButtonPress(%1)").arg(i));
    for (int i = 0; i < 4; ++i)
        light(QStringLiteral("imgMenu(%1)").arg(i), chrome.menu[i], QStringLiteral("imgMenuData(%1)").arg(i), {});
    light(QStringLiteral("imgMin"), chrome.minimise, QStringLiteral("imgMinLight"), {});
    light(QStringLiteral("imgExit"), chrome.close, QStringLiteral("imgExitLight"), {});
    light(QStringLiteral("imgOpen"), chrome.quickStart, QStringLiteral("imgGettingStartedLight"), {});
}
