// The time line worked from the keyboard and the pointer in the real window:
// keys for the transport, the marks, zoom and the flows; typed times; a drag
// on the waveform; and a typed selection saved to the millisecond.
#include "playback/Timeline.h"
#include "ui/TimelineView.h"
#include "playback/WavSource.h"
#include "support/Media.h"
#include "support/RecordingDevice.h"
#include "support/WindowHarness.h"
#include "ui/EditHistory.h"
#include "ui/SkinWidgets.h"

#include <QLineEdit>
#include <QtTest>

#include <vector>

namespace {

QString modeOf(PlaybackDevice &device) { return device.send(QStringLiteral("status sound mode")); }
qint64 positionOf(PlaybackDevice &device)
{
    return device.send(QStringLiteral("status sound position")).toLongLong();
}

// The frames [from, to) of a WAV as floats, interleaved.
std::vector<float> framesOf(const QString &path, qint64 from, qint64 to, int *channels)
{
    string_device::WavSource source;
    if (!source.open(path) || !source.seek(from))
        return {};
    *channels = source.channels();
    std::vector<float> out(std::size_t(to - from) * std::size_t(source.channels()));
    out.resize(std::size_t(source.read(out.data(), to - from)) * std::size_t(source.channels()));
    return out;
}

}  // namespace

class UiKeyboardTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_song;

    void key(WindowHarness &h, int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&h.window(), Qt::Key(keyCode), modifiers);
        h.waitForJobs();
        h.controller().positionTracker().tick();  // what the position timer would show next
    }

    void openSong(WindowHarness &h)
    {
        h.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window()));
        h.chooser.answers = QStringList{m_song};
        key(h, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(qlonglong(h.model().lengthMs()), 60000);
    }

    // Types into the box that a click on a time label opens.
    QLineEdit *typeTime(WindowHarness &h, const char *labelName, const QString &text)
    {
        QWidget *label = h.window().element(QLatin1String(labelName));
        QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
        auto *box = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        if (!box)
            return nullptr;
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        return box;
    }

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(m_dir.isValid());
        m_song = m_dir.filePath(QStringLiteral("a minute.wav"));
        // a tone whose pitch climbs, so every stretch of it is different
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i", "aevalsrc=sin(2*PI*(200+10*t)*t):s=44100:d=60", "-ac", "2",
                                  media::asFileUrl(m_song)}));
    }

    void transportMarksAndZoomFromTheKeyboard()
    {
        WindowHarness h;
        openSong(h);
        key(h, Qt::Key_Space);
        QCOMPARE(modeOf(h.device()), QStringLiteral("playing"));
        key(h, Qt::Key_Space);
        QCOMPARE(modeOf(h.device()), QStringLiteral("paused"));

        key(h, Qt::Key_End);
        QCOMPARE(positionOf(h.device()), 60000);
        key(h, Qt::Key_Home);
        QVERIFY(positionOf(h.device()) < 60000);
        // The marks take the play position the window shows, which the next
        // tick may already have moved on from while the song plays.
        const qint64 shownAtStart = h.model().play().positionMs;
        QTest::keyClick(&h.window(), Qt::Key_BracketLeft);
        QCOMPARE(h.model().marks().startMs, shownAtStart);
        key(h, Qt::Key_Right);
        const qint64 shownAtEnd = h.model().play().positionMs;
        QTest::keyClick(&h.window(), Qt::Key_BracketRight);
        QCOMPARE(h.model().marks().endMs, shownAtEnd);
        QVERIFY(h.model().marks().lengthMs() >= 1000);

        // +, - and the menu's "whole file"
        key(h, Qt::Key_Plus);
        QCOMPARE(h.model().view().lengthMs(), 30000.0);
        key(h, Qt::Key_Plus);
        QCOMPARE(h.model().view().lengthMs(), 15000.0);
        key(h, Qt::Key_Minus);
        QCOMPARE(h.model().view().lengthMs(), 30000.0);
        h.controller().commands().write(QStringLiteral("ViewAll"));
        QVERIFY(h.controller().view().isWholeFile());

        // Shift+] plays the last two seconds of the selection and stops at its end
        key(h, Qt::Key_BraceRight);
        QCOMPARE(h.model().play().playingSelection, true);
        QVERIFY(WindowHarness::waitFor([&] {
            h.controller().positionTracker().tick();
            return h.model().play().playingSelection == false;
        }, 10000));
    }

    // The exact steps, on a device that only records what it is told.
    void arrowsHomeAndEndMoveThePlayPositionBySteps()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window()));
        h.model().setMedia(OpenMedia{{}, {}, 60000, nullptr});
        h.controller().view().showWholeFile();
        const struct { qint64 from; int key; Qt::KeyboardModifiers modifiers; const char *sent; } steps[] = {
            {5000, Qt::Key_Right, Qt::NoModifier, "play sound from 6000"},
            {5000, Qt::Key_Left, Qt::NoModifier, "play sound from 4000"},
            {5000, Qt::Key_Right, Qt::ShiftModifier, "play sound from 5082"},  // a pixel, less than 0.1 s
            {500, Qt::Key_Left, Qt::NoModifier, "play sound from 0"},
            {59500, Qt::Key_Right, Qt::NoModifier, "play sound from 60000"},
            {30000, Qt::Key_Home, Qt::NoModifier, "play sound from 0"},
            {30000, Qt::Key_End, Qt::NoModifier, "play sound from 60000"},
        };
        for (const auto &step : steps) {
            { PlayState play = h.model().play(); play.positionMs = step.from; h.model().setPlay(play); }
            device.commands.clear();
            QTest::keyClick(&h.window(), Qt::Key(step.key), step.modifiers);
            QCOMPARE(device.commands.value(device.commands.size() - 1), QString::fromLatin1(step.sent));
        }
        // zoomed to 10 s on view a pixel is 14 ms, and Shift moves by that pixel
        h.controller().view().show(0, 10000);
        { PlayState play = h.model().play(); play.positionMs = 5000; h.model().setPlay(play); }
        QTest::keyClick(&h.window(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(device.commands.last(), QStringLiteral("play sound from 5014"));

        // On a focused handle the same keys move its mark instead: 10 ms, with
        // Shift 100 ms, with Ctrl a second; Home and End to the file's bounds,
        // never past the other mark. The play position stays.
        QVERIFY(h.model().setMarks(Marks{10000, 20000}));
        h.controller().handles().showMarks();
        const struct { const char *grip; int key; Qt::KeyboardModifiers modifiers; Marks after; } nudges[] = {
            {"imgSelectTop1", Qt::Key_Right, Qt::NoModifier, {10010, 20000}},
            {"imgSelectTop1", Qt::Key_Right, Qt::ShiftModifier, {10110, 20000}},
            {"imgSelectTop1", Qt::Key_Left, Qt::ControlModifier, {9110, 20000}},
            {"imgSelectTop1", Qt::Key_End, Qt::NoModifier, {20000, 20000}},
            {"imgSelectTop1", Qt::Key_Home, Qt::NoModifier, {0, 20000}},
            {"imgSelectTop2", Qt::Key_Left, Qt::NoModifier, {0, 19990}},
            {"imgSelectTop2", Qt::Key_End, Qt::NoModifier, {0, 60000}},
            {"imgSelectTop2", Qt::Key_Left, Qt::ControlModifier, {0, 59000}},
            {"imgSelectTop2", Qt::Key_Home, Qt::NoModifier, {0, 0}},
        };
        device.commands.clear();
        for (const auto &n : nudges) {
            QWidget *grip = h.window().element(QLatin1String(n.grip));
            grip->setFocus();
            QTest::keyClick(grip, Qt::Key(n.key), n.modifiers);
            QCOMPARE(h.model().marks(), n.after);
        }
        QCOMPARE(device.commands, QStringList());
    }

    // Each change of the marks or the shaping is one step back (Ctrl+Z) and
    // forward (Ctrl+Shift+Z, Ctrl+Y), however many moves made it; a random
    // selection is one step, and a new file starts a new history.
    void everyEditIsOneStepToUndoAndRedo()
    {
        RecordingDevice device;
        WindowHarness h(&device);
        h.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&h.window()));
        h.model().setMedia(OpenMedia{QStringLiteral("/music/a.mp3"), {}, 60000, nullptr});
        QList<EditState> states{{h.model().marks(), h.model().shaping()}};
        const auto record = [&] { states << EditState{h.model().marks(), h.model().shaping()}; };

        typeTime(h, "lblSelBegin", QStringLiteral("10"));
        record();
        typeTime(h, "lblSelEnd", QStringLiteral("20.5"));
        record();
        auto *panel = h.window().element(QStringLiteral("picOpened"));
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 150));
        for (int x : {150, 200, 300}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 150), panel->mapToGlobal(QPointF(x, 150)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(panel, &move);
        }
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(300, 150));
        record();
        h.drag(QStringLiteral("imgSelectTop2"), QPoint(6, 4), 50);
        record();
        // a key held down on a handle, with its repeats
        QWidget *grip = h.window().element(QStringLiteral("imgSelectTop1"));
        grip->setFocus();
        for (bool repeat : {false, true, true}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
            QCoreApplication::sendEvent(grip, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), repeat);
            if (repeat)
                QCoreApplication::sendEvent(grip, &release);
        }
        QKeyEvent letGo(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier);
        QCoreApplication::sendEvent(grip, &letGo);
        QCOMPARE(h.model().marks().startMs, states.last().marks.startMs + 30);
        record();
        h.window().setFocus();
        for (const char *word : {"FadeIn1000", "Normalize"}) {
            h.controller().commands().write(QLatin1String(word));
            record();
        }
        h.click(QStringLiteral("imgButton(2)"));  // random selection
        record();
        QCOMPARE(states.size(), 9);
        for (qsizetype i = 1; i < states.size(); ++i)
            QVERIFY2(states[i] != states[i - 1], qPrintable(QString::number(i)));

        for (qsizetype i = states.size() - 1; i >= 0; --i) {
            QCOMPARE(h.model().marks(), states[i].marks);
            QCOMPARE(h.model().shaping(), states[i].shaping);
            // the start handle shows what was brought back
            QCOMPARE(timeline::positionToMs(h.timeline().handleX[0], h.model().view()), states[i].marks.startMs);
            QTest::keyClick(&h.window(), Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(h.model().marks(), states.first().marks);  // nothing left to undo
        for (qsizetype i = 1; i < states.size(); ++i) {
            QTest::keyClick(&h.window(), i % 2 ? Qt::Key_Y : Qt::Key_Z,
                            i % 2 ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(h.model().marks(), states[i].marks);
            QCOMPARE(h.model().shaping(), states[i].shaping);
        }

        h.model().setMedia(OpenMedia{QStringLiteral("/music/b.mp3"), {}, 60000, nullptr});
        QTest::keyClick(&h.window(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.model().marks(), Marks{});
        QCOMPARE(h.model().shaping(), states.last().shaping);
    }

    void typedTimesAreTakenOrRefused()
    {
        WindowHarness h;
        openSong(h);
        QLineEdit *box = typeTime(h, "lblSelBegin", QStringLiteral("00:00:41.500"));
        QVERIFY(box);
        QVERIFY(!box->isVisible());
        QCOMPARE(h.model().marks().startMs, 41500);
        QCOMPARE(h.caption(QStringLiteral("lblSelBegin")), QStringLiteral("00:41.500"));

        // an end before the start, or past the file, is refused and marked
        for (const char *wrong : {"30", "1:01", "abc"}) {
            box = typeTime(h, "lblSelEnd", QString::fromLatin1(wrong));
            QVERIFY(box && box->isVisible());
            QVERIFY(!box->styleSheet().isEmpty());
            QVERIFY(!h.model().marks().hasEnd());
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(!box->isVisible());
        }
        box = typeTime(h, "lblSelEnd", QStringLiteral("43"));
        QCOMPARE(h.model().marks(), (Marks{41500, 43000}));
        QCOMPARE(h.caption(QStringLiteral("lblSelLength")), QStringLiteral("00:01.500"));
        QVERIFY(h.timeline().handleVisible[0] && h.timeline().handleVisible[1]);
        // keys typed into the box are the box's: Space did not start playback
        QCOMPARE(modeOf(h.device()), QString());
    }

    void dragOnTheWaveformSelectsAndTheWheelZooms()
    {
        WindowHarness h;
        openSong(h);
        auto *panel = qobject_cast<SkinPanel *>(h.window().element(QStringLiteral("picOpened")));
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(100, 150));
        for (int x : {102, 150, 300}) {  // the first is within the slack of a press
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 150), panel->mapToGlobal(QPointF(x, 150)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(panel, &move);
            if (x == 102)
                QCOMPARE(h.model().marks(), Marks{});
        }
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(300, 150));
        const VisibleSpan whole{0, 60000};
        QCOMPARE(h.model().marks(), (Marks{timeline::positionToMs(100 * 15, whole), timeline::positionToMs(300 * 15, whole)}));
        QCOMPARE(h.caption(QStringLiteral("lblSelBegin")), timeline::formatClock(h.model().marks().startMs, false, 3));

        // a second drag, its moves queued behind the press as the window
        // system delivers them, selects anew
        QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(400, 150));
        for (int x : {420, 500}) {
            QCoreApplication::postEvent(panel, new QMouseEvent(QEvent::MouseMove, QPointF(x, 150),
                                                               panel->mapToGlobal(QPointF(x, 150)), Qt::NoButton,
                                                               Qt::LeftButton, Qt::NoModifier));
        }
        QCoreApplication::sendPostedEvents(panel);
        QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(500, 150));
        QCOMPARE(h.model().marks(), (Marks{timeline::positionToMs(400 * 15, whole), timeline::positionToMs(500 * 15, whole)}));

        QWheelEvent wheel(QPointF(364, 150), panel->mapToGlobal(QPointF(364, 150)), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(panel, &wheel);
        QCOMPARE(h.model().view().lengthMs(), 48000.0);
        QWheelEvent shifted(QPointF(364, 150), panel->mapToGlobal(QPointF(364, 150)), {}, QPoint(0, -120),
                            Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
        const double startBefore = h.model().view().startMs;
        QCoreApplication::sendEvent(panel, &shifted);
        QCOMPARE(h.model().view().lengthMs(), 48000.0);
        QCOMPARE(h.model().view().startMs, std::min(startBefore + 4800.0, 12000.0));
        QCOMPARE(h.caption(QStringLiteral("lblViewLength")), QStringLiteral("00:48.000"));
    }

    // 00:00:41.500 to 00:00:43.000 typed, saved with Ctrl+S as a WAV: 1.5 s of
    // exactly that audio.
    void aTypedSelectionSavesExactlyThatAudio()
    {
        WindowHarness h;
        openSong(h);
        h.model().setAfterSave({false, false});
        typeTime(h, "lblSelBegin", QStringLiteral("00:00:41.500"));
        typeTime(h, "lblSelEnd", QStringLiteral("00:00:43.000"));
        const QString ring = m_dir.filePath(QStringLiteral("ring.wav"));
        h.chooser.answers = QStringList{ring};
        key(h, Qt::Key_S, Qt::ControlModifier);
        QVERIFY2(h.messages.isEmpty(), qPrintable(h.messages.texts().join(" | ")));
        const media::AudioInfo info = media::probe(ring);
        QVERIFY2(std::fabs(info.duration - 1.5) <= 0.03, qPrintable(QString::number(info.duration)));

        int channels = 0, ringChannels = 0;
        const std::vector<float> expected = framesOf(h.paths.workWav(), 41500 * 441 / 10, 43000 * 441 / 10, &channels);
        const std::vector<float> saved = framesOf(ring, 0, 1500 * 441 / 10, &ringChannels);
        QCOMPARE(ringChannels, channels);
        QCOMPARE(saved.size(), expected.size());
        double worst = 0;
        for (std::size_t i = 0; i < saved.size(); ++i)
            worst = std::max(worst, double(std::fabs(saved[i] - expected[i])));
        QVERIFY2(worst < 1e-3, qPrintable(QString::number(worst)));
    }
};

QTEST_MAIN(UiKeyboardTest)
#include "test_ui_keyboard.moc"
