// Drawing the editor model, the time line and the lights onto the main window's elements.
#include "ui/MainWindow.h"

#include "Skin.h"
#include "pipeline/OpenFlow.h"
#include "pipeline/ProgressReport.h"
#include "pipeline/SaveFlow.h"
#include "playback/PlaybackController.h"
#include "playback/Timeline.h"
#include "ui/Chrome.h"
#include "ui/SelectionHandles.h"
#include "ui/SkinWidgets.h"
#include "ui/TimelineFace.h"
#include "ui/TimeTable.h"
#include "ui/WaveformView.h"

#include <QCoreApplication>
#include <QFileInfo>
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

// What the status strip says of a notice; empty for none.
QString noticeWords(const Notice &notice)
{
    switch (notice.kind) {
    case Notice::Kind::None: break;
    case Notice::Kind::Saved:
        return QCoreApplication::translate("SaveFlow", "已保存 %1（%2 秒，%3）")
            .arg(QFileInfo(notice.file).fileName(), QString::number(notice.seconds, 'f', 1),
                 SaveFlow::sizeText(notice.bytes));
    case Notice::Kind::OpenCancelled:
        return QCoreApplication::translate("OpenFlow", "已取消打开 %1").arg(QFileInfo(notice.file).fileName());
    case Notice::Kind::SaveCancelled:
        return QCoreApplication::translate("SaveFlow", "已取消保存，没有写出文件。");
    }
    return {};
}

}  // namespace

bool MainWindow::isCutRunning() const { return m_controls->model().job().kind == JobKind::Cut; }

// The captions of the time table.
void MainWindow::syncTimeTable()
{
    const TimeTable table = timeTableOf(m_controls->model(), m_controls->handles());
    setCaption(label(QStringLiteral("lblTime")), table.time);
    setCaption(label(QStringLiteral("lblSelBegin")), table.selBegin);
    setCaption(label(QStringLiteral("lblSelEnd")), table.selEnd);
    setCaption(label(QStringLiteral("lblSelLength")), table.selLength);
    setCaption(label(QStringLiteral("lblViewBegin")), table.viewBegin);
    setCaption(label(QStringLiteral("lblViewEnd")), table.viewEnd);
    setCaption(label(QStringLiteral("lblViewLength")), table.viewLength);
}

// The decode's and the cut's bars, each shown while its job runs.
void MainWindow::syncJobBars()
{
    const JobState &job = m_controls->model().job();
    const bool decoding = job.kind == JobKind::Decode;
    const bool cutting = job.kind == JobKind::Cut;
    const auto bar = [](ProgressJob kind, const std::optional<double> &progress) {
        return progress ? progressDisplay(kind, *progress) : ProgressDisplay{0.0, 0.0f, QStringLiteral("0%")};
    };
    const ProgressDisplay decode = bar(ProgressJob::Decode, decoding ? job.progress : std::nullopt);
    const ProgressDisplay cut = bar(ProgressJob::Cut, cutting ? job.progress : std::nullopt);
    setCaption(label(QStringLiteral("lblPB")), decode.label);
    setCaption(label(QStringLiteral("lblPro")), cut.label);
    setWidth(element(QStringLiteral("imgPB")), decode.barWidthTwips);
    setWidth(element(QStringLiteral("imgPro")), cut.barWidthTwips);
    setShown(element(QStringLiteral("picPBBack")), decoding);
    setShown(element(QStringLiteral("picPro")), cutting);
    setShown(element(QStringLiteral("cmdCancelDecode")), decoding);
    setShown(element(QStringLiteral("cmdCancelCut")), cutting);
    if (m_cancelKey)
        m_cancelKey->setEnabled(decoding || cutting);
    // The buttons change only around a cut, so they are touched only then.
    if (m_jobButtonsEnabled != !cutting) {
        m_jobButtonsEnabled = !cutting;
        for (QWidget *button : std::as_const(m_jobButtons))
            button->setEnabled(m_jobButtonsEnabled);
    }
}

// The play head and the two handles where the time line has them (a handle
// whose time is outside the stretch on view is not drawn), and the waveform.
void MainWindow::syncTimeline()
{
    const TimelineFace &f = m_controls->timelineFace();
    placeX(element(QStringLiteral("imgTopPoint")), f.playHeadX);
    placeX(element(QStringLiteral("imgBottomPoint")), f.playHeadX);
    placeX(element(QStringLiteral("imgLine")), f.playHeadX + 90.0f);
    for (int h = 0; h < 2; ++h) {
        const QString n = QString::number(h + 1);
        const bool onView = f.handleX[h] >= -0.5f && f.handleX[h] <= timeline::TimelineSpan + 0.5f;
        for (const QString &grip : {QStringLiteral("imgSelectTop") + n, QStringLiteral("imgSelectBottom") + n}) {
            placeX(element(grip), f.handleX[h]);
            setShown(element(grip), f.handleVisible[h] && onView);
        }
        placeX(element(QStringLiteral("imgSelectLine") + n), f.handleX[h] + 90.0f);
        setShown(element(QStringLiteral("imgSelectLine") + n), f.handleVisible[h] && onView);
    }

    if (!m_waveform)
        return;
    const EditorModel &model = m_controls->model();
    const auto peaks = model.media() ? model.media()->peaks : nullptr;
    if (m_waveform->summary() != peaks)
        m_waveform->setSummary(peaks);
    const auto &media = model.media();
    m_waveform->setDecodedUntil(media && !media->isWhole() ? std::optional<double>(double(media->playableMs()))
                                                           : std::nullopt);
    const VisibleSpan &view = model.view();
    if (m_waveform->visibleStartMs() != view.startMs || m_waveform->visibleEndMs() != view.endMs)
        m_waveform->setVisibleSpan(view.startMs, view.endMs);
    const Selection shaded = model.marks().selection().value_or(Selection{});
    if (shaded != m_shadedSelection) {
        m_shadedSelection = shaded;
        m_waveform->setSelection(double(shaded.startMs), double(shaded.endMs));
    }
}

void MainWindow::syncFromModel()
{
    const EditorModel &model = m_controls->model();
    const JobState &job = model.job();
    const QString shownFile = job.kind == JobKind::Decode ? job.path
                              : model.media()            ? model.media()->sourcePath
                                                         : QString();
    setCaption(label(QStringLiteral("lblFileName")), OpenFlow::tabCaption(shownFile));
    syncTimeTable();

    // A decode opens its file when it ends, in the same change or a later one
    // (a short decode hands over the file after its job has ended). Every
    // decode starts with no file open, so one that fails or is cancelled
    // opens nothing until the next.
    if (job.kind == JobKind::Decode)
        m_openToTell = true;
    const bool opened = m_openToTell && job.kind != JobKind::Decode && model.isFileOpen();
    if (opened)
        m_openToTell = false;
    setShown(element(QStringLiteral("picOpened")), model.isFileOpen());
    syncJobBars();
    syncNotice();
    syncTimeline();
    syncAccessibility(opened);
}

void MainWindow::syncNotice()
{
    const Notice &notice = m_controls->model().notice();
    SkinLabel *noticeLabel = label(QStringLiteral("lblNotice"));
    SkinLabel *folder = label(QStringLiteral("lblNoticeFolder"));
    SkinLabel *play = label(QStringLiteral("lblNoticePlay"));
    if (!noticeLabel || !folder || !play)
        return;
    // The model changes on every tick of the position timer; the notice only
    // after a job, so it is laid out again only then.
    if (notice == m_notice)
        return;
    m_notice = notice;
    const QString text = noticeWords(notice);
    m_noticeText = text;
    const bool withFile = notice.kind == Notice::Kind::Saved;
    // The notice ends before the feedback link; a long name gives way in its middle.
    const int right = element(QStringLiteral("imgFeedback")) ? element(QStringLiteral("imgFeedback"))->x() - 8
                                                            : width();
    const int gap = 10;
    const int actions = withFile ? folder->sizeHint().width() + play->sizeHint().width() + 2 * gap : 0;
    const QString shown = noticeLabel->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                                                std::max(0, right - noticeLabel->x() - actions));
    if (noticeLabel->text() != shown)
        noticeLabel->setCaption(shown);
    noticeLabel->setToolTip(withFile ? notice.file : QString());
    if (withFile) {
        folder->move(noticeLabel->x() + noticeLabel->width() + gap, folder->y());
        play->move(folder->x() + folder->width() + gap, play->y());
    }
    showNotice();
}

// The hint and the notice share the status strip's left: while the pointer's
// hint is up, the notice and its links give way to it.
void MainWindow::showNotice()
{
    const QString hint = m_controls->chrome().hint();
    const bool shown = hint.isEmpty() && !m_noticeText.isEmpty();
    const bool withFile = shown && m_notice.kind == Notice::Kind::Saved;
    setShown(element(QStringLiteral("lblNotice")), shown);
    setShown(element(QStringLiteral("lblNoticeFolder")), withFile);
    setShown(element(QStringLiteral("lblNoticePlay")), withFile);
}

void MainWindow::syncLights()
{
    const Chrome &chrome = m_controls->chrome();
    setCaption(label(QStringLiteral("lblText")), chrome.hint());
    showNotice();
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
    // The loop button stays down while the selection loops.
    const bool looping = m_controls->model().play().looping;
    for (int i = 0; i < PlaybackController::ButtonCount; ++i)
        light(QStringLiteral("imgCtrlButton(%1)").arg(i),
              looping && i == int(PlaybackController::Button::Loop) ? Chrome::Light::Pressed : chrome.transport[i],
              QStringLiteral("imgCtrlButtonLight(%1)").arg(i), QStringLiteral("imgCtrlButtonPress(%1)").arg(i));
    for (int i = 0; i < int(chrome.menu.size()); ++i)
        light(QStringLiteral("imgMenu(%1)").arg(i), chrome.menu[i], QStringLiteral("imgMenuData(%1)").arg(i), {});
    light(QStringLiteral("imgMin"), chrome.minimise, QStringLiteral("imgMinLight"), {});
    light(QStringLiteral("imgExit"), chrome.close, QStringLiteral("imgExitLight"), {});
    light(QStringLiteral("imgOpen"), chrome.quickStart, QStringLiteral("imgGettingStartedLight"), {});
}
