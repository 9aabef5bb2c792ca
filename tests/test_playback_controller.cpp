#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "playback/SelectionHandles.h"
#include "playback/ShortName.h"
#include "support/RecordingDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString Stop = QStringLiteral("stop sound");
const QString Close = QStringLiteral("close sound");
const QString PlayCmd = QStringLiteral("play sound");
const QString Pause = QStringLiteral("pause sound");
const QString Resume = QStringLiteral("resume sound");

// A transport bar over a recording device, with a working WAV that exists
// unless the test removes it.
struct Transport {
    QTemporaryDir dir;
    EditorState state;
    MainFace face;
    RecordingDevice device;
    SelectionHandles handles{state, face};
    QString wav = dir.filePath(QStringLiteral("open.wav"));
    int saves = 0;
    PlaybackController controller{state, face, device, handles, wav, [this] { ++saves; }};

    Transport()
    {
        QFile file(wav);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create the working file");
    }
    QString open() const { return QStringLiteral("open ") + wav + QStringLiteral(" alias sound"); }
    void click(int index) { controller.imgCtrlButton_Click(index); }
};

}  // namespace

class TestPlaybackController : public QObject {
    Q_OBJECT
private slots:
    void playPausePlayPlayResumesWithoutRestarting();
    void pauseWhileNothingOpenOnlyResumesUntilStop();
    void playRestartsAFileThatRanToItsEnd();
    void withoutWorkingFileNothingPlays_data();
    void withoutWorkingFileNothingPlays();
    void playSelectionStopsOpensAndPlaysFromStart();
    void playSelectionWithoutSelectionDoesNothing();
    void playSelectionWithoutEndRunsToTheEnd();
    void playSelectionGuardsTheMillisecondRange_data();
    void playSelectionGuardsTheMillisecondRange();
    void stopLeavesTheSelectionAlone();
    void stopClearsFlagsAfterProcessingEvents();
    void flagTransitions_data();
    void flagTransitions();
    void setStartAndSetEndPlaceHandles();
    void saveButtonRunsTheSaveAction();
    void otherIndicesDoNothing_data();
    void otherIndicesDoNothing();
    void shortNameOfExistingAndMissingPaths();
};

void TestPlaybackController::playPausePlayPlayResumesWithoutRestarting()
{
    Transport t;
    t.click(PlaybackController::Play);
    t.click(PlaybackController::Pause);
    t.click(PlaybackController::Play);
    t.click(PlaybackController::Play);
    QCOMPARE(t.device.commands, QStringList({Stop, Close, t.open(), PlayCmd, Pause, Resume, Resume}));
    QCOMPARE(t.state.IsPaused, FlagTrue);
}

void TestPlaybackController::pauseWhileNothingOpenOnlyResumesUntilStop()
{
    Transport t;
    t.device.rejectCommandsStartingWith(Pause);
    t.device.rejectCommandsStartingWith(Resume);
    t.click(PlaybackController::Pause);
    QCOMPARE(t.state.IsPaused, FlagTrue);
    t.click(PlaybackController::Play);
    t.click(PlaybackController::Play);
    QCOMPARE(t.device.commands, QStringList({Pause, Resume, Resume}));

    t.device.commands.clear();
    t.click(PlaybackController::Stop);
    t.click(PlaybackController::Play);
    QCOMPARE(t.device.commands, QStringList({Stop, Close, Stop, Close, t.open(), PlayCmd}));
    QCOMPARE(t.state.IsPaused, FlagFalse);
}

void TestPlaybackController::playRestartsAFileThatRanToItsEnd()
{
    Transport t;
    t.click(PlaybackController::Play);
    // The device ran to the end by itself and stays open; Play restarts.
    t.device.commands.clear();
    t.click(PlaybackController::Play);
    QCOMPARE(t.device.commands, QStringList({Stop, Close, t.open(), PlayCmd}));

    // Paused and resumed before the end: Play only resumes again.
    t.click(PlaybackController::Pause);
    t.click(PlaybackController::Play);
    t.device.commands.clear();
    t.click(PlaybackController::Play);
    QCOMPARE(t.device.commands, QStringList({Resume}));
}

void TestPlaybackController::withoutWorkingFileNothingPlays_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("timeShown");
    QTest::newRow("play") << int(PlaybackController::Play) << "00:00:00";
    QTest::newRow("play selection") << int(PlaybackController::PlaySelection) << "00:01:00";
}

void TestPlaybackController::withoutWorkingFileNothingPlays()
{
    QFETCH(int, button);
    QFETCH(QString, timeShown);
    Transport t;
    QVERIFY(QFile::remove(t.wav));
    t.state.SelStart = 12;
    t.face.lblTime = QStringLiteral("00:01:00");
    t.click(button);
    QCOMPARE(t.device.commands, QStringList({Stop, Close}));
    QCOMPARE(t.face.lblTime, timeShown);
    QCOMPARE(t.state.PlayingSelection, FlagFalse);
}

void TestPlaybackController::playSelectionStopsOpensAndPlaysFromStart()
{
    Transport t;
    t.state.SelStart = 12;
    t.state.SelEnd = 40;
    t.state.IsPaused = FlagTrue;
    t.face.lblTime = QStringLiteral("00:00:05");
    t.click(PlaybackController::PlaySelection);
    QCOMPARE(t.device.commands,
             QStringList({Stop, Close, t.open(), QStringLiteral("play sound from 12000")}));
    QCOMPARE(t.state.PlayingSelection, FlagTrue);
    QCOMPARE(t.state.IsPaused, FlagTrue);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:05"));
}

void TestPlaybackController::playSelectionWithoutSelectionDoesNothing()
{
    Transport t;
    t.state.IsPaused = FlagTrue;
    t.click(PlaybackController::PlaySelection);
    QVERIFY(t.device.commands.isEmpty());
    QCOMPARE(t.state.PlayingSelection, FlagFalse);
    QCOMPARE(t.state.IsPaused, FlagTrue);
}

void TestPlaybackController::playSelectionWithoutEndRunsToTheEnd()
{
    Transport t;
    PositionTracker tracker(t.state, t.face, t.device);
    t.state.SelStart = 30;
    t.state.SelEnd = 0;
    t.click(PlaybackController::PlaySelection);
    QCOMPARE(t.device.commands.last(), QStringLiteral("play sound from 30000"));

    t.device.setLength(180000);
    for (int position : {30000, 90000, 179000, 180000}) {
        t.device.setPosition(position);
        tracker.tick();
    }
    QCOMPARE(t.device.count(Stop), 1);
    QCOMPARE(t.state.PlayingSelection, FlagTrue);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:03:00"));
}

void TestPlaybackController::playSelectionGuardsTheMillisecondRange_data()
{
    QTest::addColumn<int>("selStart");
    QTest::addColumn<QString>("playFrom");
    QTest::newRow("largest that fits") << 2147483 << "play sound from 2147483000";
    QTest::newRow("one second more") << 2147484 << "";
    QTest::newRow("most negative that fits") << -2147483 << "play sound from -2147483000";
    QTest::newRow("one second below") << -2147484 << "";
}

void TestPlaybackController::playSelectionGuardsTheMillisecondRange()
{
    QFETCH(int, selStart);
    QFETCH(QString, playFrom);
    Transport t;
    t.state.SelStart = selStart;
    t.click(PlaybackController::PlaySelection);
    QStringList expected({Stop, Close, t.open()});
    if (!playFrom.isEmpty())
        expected << playFrom;
    QCOMPARE(t.device.commands, expected);
    // The flag goes up before the start is checked: the device is open either way.
    QCOMPARE(t.state.PlayingSelection, FlagTrue);
}

void TestPlaybackController::stopLeavesTheSelectionAlone()
{
    Transport t;
    t.state.SelStart = 10;
    t.state.SelEnd = 20;
    t.face.txtFullTime = QStringLiteral("180");
    t.face.handleX[0] = 910.0f;
    t.face.handleX[1] = 1820.0f;
    t.face.handleVisible[0] = true;
    t.face.playHeadX = 1500.0f;
    t.face.lblSelLength = QStringLiteral("00:00:10");
    t.click(PlaybackController::Stop);
    QCOMPARE(t.device.commands, QStringList({Stop, Close}));
    QCOMPARE(t.state.SelStart, 10);
    QCOMPARE(t.state.SelEnd, 20);
    QCOMPARE(t.face.txtFullTime, QStringLiteral("180"));
    QCOMPARE(t.face.handleX[0], 910.0f);
    QCOMPARE(t.face.handleX[1], 1820.0f);
    QVERIFY(t.face.handleVisible[0]);
    QVERIFY(!t.face.handleVisible[1]);
    QCOMPARE(t.face.lblSelLength, QStringLiteral("00:00:10"));
    // The play head waits for the next tick to go back to the start.
    QCOMPARE(t.face.playHeadX, 1500.0f);
}

void TestPlaybackController::stopClearsFlagsAfterProcessingEvents()
{
    Transport t;
    t.state.IsPaused = FlagTrue;
    t.state.PlayingSelection = FlagTrue;
    t.state.PlayFraction = 0.5f;
    t.face.lblTime = QStringLiteral("00:01:30");

    // What a handler running inside Stop's one pass over the events sees.
    bool ran = false;
    Flag selectionSeen = 1, pausedSeen = 1;
    QStringList commandsSeen;
    QTimer::singleShot(0, this, [&] {
        ran = true;
        selectionSeen = t.state.PlayingSelection;
        pausedSeen = t.state.IsPaused;
        commandsSeen = t.device.commands;
    });
    QSignalSpy changed(&t.face, &MainFace::changed);
    t.click(PlaybackController::Stop);

    QVERIFY(ran);
    QCOMPARE(selectionSeen, FlagFalse);
    QCOMPARE(pausedSeen, FlagTrue);
    QCOMPARE(commandsSeen, QStringList({Stop, Close}));
    QCOMPARE(t.state.IsPaused, FlagFalse);
    QCOMPARE(t.state.PlayFraction, 0.0f);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:00"));
    QVERIFY(changed.count() >= 1);
}

void TestPlaybackController::flagTransitions_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("pausedBefore");
    QTest::addColumn<int>("selectionBefore");
    QTest::addColumn<int>("pausedAfter");
    QTest::addColumn<int>("selectionAfter");
    QTest::addColumn<float>("fractionAfter");
    // PlayFraction starts at 0.25 and SelStart at 12 in every row.
    QTest::newRow("stop clears all") << 1 << -1 << -1 << 0 << 0 << 0.0f;
    QTest::newRow("play while stopped clears all") << 0 << 0 << -1 << 0 << 0 << 0.0f;
    QTest::newRow("pause sets paused only") << 2 << 0 << -1 << -1 << -1 << 0.25f;
    QTest::newRow("resume keeps everything") << 0 << -1 << -1 << -1 << -1 << 0.25f;
    QTest::newRow("play selection sets selection only") << 5 << -1 << 0 << -1 << -1 << 0.25f;
}

void TestPlaybackController::flagTransitions()
{
    QFETCH(int, button);
    QFETCH(int, pausedBefore);
    QFETCH(int, selectionBefore);
    QFETCH(int, pausedAfter);
    QFETCH(int, selectionAfter);
    QFETCH(float, fractionAfter);
    Transport t;
    t.state.IsPaused = static_cast<Flag>(pausedBefore);
    t.state.PlayingSelection = static_cast<Flag>(selectionBefore);
    t.state.PlayFraction = 0.25f;
    t.state.SelStart = 12;
    t.click(button);
    QCOMPARE(int(t.state.IsPaused), pausedAfter);
    QCOMPARE(int(t.state.PlayingSelection), selectionAfter);
    QCOMPARE(t.state.PlayFraction, fractionAfter);
}

void TestPlaybackController::setStartAndSetEndPlaceHandles()
{
    Transport t;
    t.face.txtFullTime = QStringLiteral("180");
    t.state.PlayFraction = 0.25f;
    t.face.playHeadX = 2730.0f;
    t.click(PlaybackController::SetStart);
    QCOMPARE(t.state.SelStart, 45);
    QVERIFY(t.face.handleVisible[0]);

    t.state.PlayFraction = 0.5f;
    t.face.playHeadX = 5460.0f;
    t.click(PlaybackController::SetEnd);
    QCOMPARE(t.state.SelEnd, 90);
    QVERIFY(t.face.handleVisible[1]);
    QCOMPARE(t.face.lblSelLength, QStringLiteral("00:00:45"));
    QVERIFY(t.device.commands.isEmpty());
}

void TestPlaybackController::saveButtonRunsTheSaveAction()
{
    Transport t;
    t.click(PlaybackController::Save);
    QCOMPARE(t.saves, 1);
    QVERIFY(t.device.commands.isEmpty());
}

void TestPlaybackController::otherIndicesDoNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("7") << 7;
    QTest::newRow("32767") << 32767;
}

void TestPlaybackController::otherIndicesDoNothing()
{
    QFETCH(int, index);
    Transport t;
    t.state.IsPaused = FlagTrue;
    t.state.SelStart = 12;
    t.face.lblTime = QStringLiteral("00:00:05");
    t.click(index);
    QVERIFY(t.device.commands.isEmpty());
    QCOMPARE(t.saves, 0);
    QCOMPARE(t.state.IsPaused, FlagTrue);
    QCOMPARE(t.state.SelStart, 12);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:05"));
}

void TestPlaybackController::shortNameOfExistingAndMissingPaths()
{
    Transport t;
    const QString spaced = t.dir.filePath(QStringLiteral("my song.wav"));
    QFile file(spaced);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(GetShortName(t.wav), t.wav);
    QCOMPARE(GetShortName(spaced), spaced);
    QCOMPARE(GetShortName(t.dir.filePath(QStringLiteral("missing.wav"))), QString());
    QCOMPARE(GetShortName(QString()), QString());
}

QTEST_GUILESS_MAIN(TestPlaybackController)
#include "test_playback_controller.moc"
