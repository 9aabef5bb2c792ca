#include "playback/PlayMarkers.h"
#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "playback/SelectionHandles.h"
#include "playback/Timeline.h"
#include "support/RecordingDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr float px(float pixels) { return pixels * timeline::TwipsPerPixel; }

const QString Stop = QStringLiteral("stop sound");
const QString Close = QStringLiteral("close sound");

struct Markers {
    QTemporaryDir dir;
    EditorState state;
    MainFace face;
    RecordingDevice device;
    QString wav = dir.filePath(QStringLiteral("open.wav"));
    PositionTracker tracker{state, face, device};
    PlayMarkers markers{state, face, device, tracker, wav};

    explicit Markers(const char *full = "180")
    {
        face.txtFullTime = QString::fromLatin1(full);
        QFile file(wav);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create the working file");
        // A real device refuses positions outside the file and queries while closed.
        device.setStatusNeedsOpenDevice(true);
        device.rejectCommandsStartingWith(QStringLiteral("play sound from -"));
        tracker.start();
    }
    QString open() const { return QStringLiteral("open ") + wav + QStringLiteral(" alias sound"); }
    // The commands sent, without the status queries of ticks that the running
    // timer may slip in wherever events are processed.
    QStringList sent() const
    {
        QStringList result;
        for (const QString &command : device.commands) {
            if (!command.startsWith(QLatin1String("status sound ")))
                result << command;
        }
        return result;
    }

    // Drags the play head from where it stands by deltaPx, grabbed 6 px into the grip.
    void drag(float deltaPx)
    {
        markers.press(px(6));
        markers.move(px(6 + deltaPx));
        markers.release(px(6 + deltaPx));
    }
};

}  // namespace

class TestPlayMarkers : public QObject {
    Q_OBJECT
private slots:
    void releasePlaysFromTheMarkersSecond_data();
    void releasePlaysFromTheMarkersSecond();
    void markerLeftOfTheLinePlaysNothing();
    void panelPressSeeks_data();
    void panelPressSeeks();
    void timerIsHeldFromPressToRelease();
    void moveFollowsThePointerWithoutLimits();
    void moveAndReleaseWithoutPressDoNothing();
    void seekLeavesPlaybackFlagsAlone();
    void pausedThenPanelPressStillOnlyResumes();
    void seekPastTheSelectionEndStopsAtTheNextTick();
    void missingWorkingFilePlaysNothing();
};

void TestPlayMarkers::releasePlaysFromTheMarkersSecond_data()
{
    QTest::addColumn<QString>("full");
    QTest::addColumn<float>("fromPx");
    QTest::addColumn<float>("deltaPx");
    QTest::addColumn<QString>("playFrom");
    QTest::newRow("182 px of 180 s") << "180" << 0.f << 182.f << "play sound from 45000";
    QTest::newRow("91 px of 180 s: 22.5 to even") << "180" << 0.f << 91.f << "play sound from 22000";
    QTest::newRow("right end") << "180" << 700.f << 28.f << "play sound from 180000";
    QTest::newRow("pressed and let go in place") << "180" << 100.f << 0.f << "play sound from 25000";
    QTest::newRow("nothing played yet") << "0" << 0.f << 500.f << "play sound from 0";
}

void TestPlayMarkers::releasePlaysFromTheMarkersSecond()
{
    QFETCH(QString, full);
    QFETCH(float, fromPx);
    QFETCH(float, deltaPx);
    QFETCH(QString, playFrom);
    Markers m;
    m.face.txtFullTime = full;
    m.face.playHeadX = px(fromPx);
    m.drag(deltaPx);
    QCOMPARE(m.sent(), QStringList({Stop, Close, m.open(), playFrom}));
    QCOMPARE(m.face.playHeadX, px(fromPx + deltaPx));
    QCOMPARE(m.state.IsDragging, FlagFalse);
}

void TestPlayMarkers::markerLeftOfTheLinePlaysNothing()
{
    Markers m;
    m.drag(-20);
    QCOMPARE(m.sent().last(), QStringLiteral("play sound from -5000"));
    QCOMPARE(m.face.playHeadX, px(-20));

    // The device stays open at the start of the file; the next tick shows that.
    m.device.commands.clear();
    m.device.setLength(180000);
    m.device.setPosition(0);
    m.tracker.tick();
    QCOMPARE(m.face.playHeadX, 0.0f);
    QVERIFY(m.device.isOpen());
}

void TestPlayMarkers::panelPressSeeks_data()
{
    QTest::addColumn<float>("atPx");
    QTest::addColumn<QString>("playFrom");
    QTest::newRow("364 px of 180 s") << 364.f << "play sound from 90000";
    QTest::newRow("left edge") << 0.f << "play sound from 0";
    QTest::newRow("right edge") << 728.f << "play sound from 180000";
    QTest::newRow("within a pixel") << 364.5f << "play sound from 90000";
}

void TestPlayMarkers::panelPressSeeks()
{
    QFETCH(float, atPx);
    QFETCH(QString, playFrom);
    Markers m;
    bool timerHeld = false;
    m.device.onSend = [&](const QString &) { timerHeld = timerHeld || !m.tracker.isEnabled(); };
    m.markers.panelPress(px(atPx));
    QCOMPARE(m.sent(), QStringList({Stop, Close, m.open(), playFrom}));
    QVERIFY(!timerHeld);
    QCOMPARE(m.state.IsDragging, FlagFalse);
}

void TestPlayMarkers::timerIsHeldFromPressToRelease()
{
    Markers m;
    QHash<QString, bool> enabledAt;
    m.device.onSend = [&](const QString &command) { enabledAt.insert(command, m.tracker.isEnabled()); };

    m.markers.press(px(6));
    QVERIFY(!m.tracker.isEnabled());
    QCOMPARE(m.state.IsDragging, FlagTrue);
    QCOMPARE(enabledAt.value(Stop, true), false);
    QCOMPARE(enabledAt.value(Close, true), false);

    // No tick may run while the marker is held, however long that is.
    m.device.setLength(180000);
    m.device.setPosition(90000);
    QTest::qWait(3 * PositionTracker::IntervalMs);
    QCOMPARE(m.device.count(QStringLiteral("status sound length")), 0);

    m.markers.release(px(6));
    QVERIFY(m.tracker.isEnabled());
    QCOMPARE(enabledAt.value(m.open(), false), true);
    QTRY_VERIFY(m.device.count(QStringLiteral("status sound length")) > 0);
}

void TestPlayMarkers::moveFollowsThePointerWithoutLimits()
{
    Markers m;
    m.face.playHeadX = px(100);
    m.markers.press(px(6));
    m.markers.move(px(6 - 300));
    QCOMPARE(m.face.playHeadX, px(-200));
    m.markers.move(px(6 + 1200));
    QCOMPARE(m.face.playHeadX, px(1000));
    // Only the play head moves; the selection handles stay.
    QCOMPARE(m.face.handleX[0], 0.0f);
    QCOMPARE(m.face.handleX[1], timeline::TimelineSpan);
}

void TestPlayMarkers::moveAndReleaseWithoutPressDoNothing()
{
    Markers m;
    m.face.playHeadX = px(100);
    m.markers.move(px(300));
    m.markers.release(px(300));
    QCOMPARE(m.face.playHeadX, px(100));
    QVERIFY(m.sent().isEmpty());
    QVERIFY(m.tracker.isEnabled());
}

void TestPlayMarkers::seekLeavesPlaybackFlagsAlone()
{
    Markers m;
    m.state.IsPaused = FlagTrue;
    m.state.PlayingSelection = FlagTrue;
    m.state.PlayFraction = 0.1f;
    m.face.lblTime = QStringLiteral("00:00:18");
    m.drag(300);
    m.markers.panelPress(px(500));
    QCOMPARE(m.state.IsPaused, FlagTrue);
    QCOMPARE(m.state.PlayingSelection, FlagTrue);
    QCOMPARE(m.state.PlayFraction, 0.1f);
    QCOMPARE(m.face.lblTime, QStringLiteral("00:00:18"));
}

void TestPlayMarkers::pausedThenPanelPressStillOnlyResumes()
{
    Markers m;
    SelectionHandles handles(m.state, m.face);
    PlaybackController controller(m.state, m.face, m.device, handles, m.wav, [] {});
    controller.imgCtrlButton_Click(PlaybackController::Play);
    controller.imgCtrlButton_Click(PlaybackController::Pause);
    m.markers.panelPress(px(364));
    QCOMPARE(m.sent().last(), QStringLiteral("play sound from 90000"));
    QCOMPARE(m.state.IsPaused, FlagTrue);

    m.device.commands.clear();
    controller.imgCtrlButton_Click(PlaybackController::Play);
    QCOMPARE(m.sent(), QStringList({QStringLiteral("resume sound")}));
}

void TestPlayMarkers::seekPastTheSelectionEndStopsAtTheNextTick()
{
    Markers m;
    m.state.PlayingSelection = FlagTrue;
    m.state.SelStart = 5;
    m.state.SelEnd = 20;
    m.drag(91);
    QCOMPARE(m.sent().last(), QStringLiteral("play sound from 22000"));

    m.device.commands.clear();
    m.device.setLength(180000);
    m.device.setPosition(22000);
    m.tracker.tick();
    QCOMPARE(m.sent(), QStringList({Stop, Close}));
    QVERIFY(!m.device.isOpen());
    QCOMPARE(m.state.PlayingSelection, FlagFalse);
    QCOMPARE(m.face.lblTime, QStringLiteral("00:00:00"));
}

void TestPlayMarkers::missingWorkingFilePlaysNothing()
{
    Markers m;
    QVERIFY(QFile::remove(m.wav));
    m.markers.panelPress(px(364));
    QCOMPARE(m.sent(),
             QStringList({Stop, Close, QStringLiteral("open  alias sound"),
                          QStringLiteral("play sound from 90000")}));
    QVERIFY(!m.device.isOpen());
}

QTEST_GUILESS_MAIN(TestPlayMarkers)
#include "test_play_markers.moc"
