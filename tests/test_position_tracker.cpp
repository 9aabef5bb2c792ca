#include "playback/PositionTracker.h"
#include "playback/Timeline.h"
#include "support/RecordingDevice.h"

#include <QtTest>

namespace {

const QString Length = QStringLiteral("status sound length");
const QString Position = QStringLiteral("status sound position");

struct Tracking {
    EditorState state;
    MainFace face;
    RecordingDevice device;
    PositionTracker tracker{state, face, device};
};

float pixels(float twips) { return twips / timeline::TwipsPerPixel; }

}  // namespace

class TestPositionTracker : public QObject {
    Q_OBJECT
private slots:
    void nothingOpenPutsPlayHeadAtStartOnly_data();
    void nothingOpenPutsPlayHeadAtStartOnly();
    void followsThePlayPosition_data();
    void followsThePlayPosition();
    void stopsASelectionPreviewAtItsEnd_data();
    void stopsASelectionPreviewAtItsEnd();
    void nextTickAfterTheStopFindsNothingOpen();
    void endOfFileKeepsTheFlags();
    void announcesOnlyRealChanges();
    void correctsAForeignWriteToTheLength();
    void timerTicksUntilDisabled();
};

void TestPositionTracker::nothingOpenPutsPlayHeadAtStartOnly_data()
{
    QTest::addColumn<QString>("lengthReply");
    QTest::addColumn<bool>("rejected");
    QTest::newRow("length 0") << "0" << false;
    QTest::newRow("empty reply") << "" << false;
    QTest::newRow("no number") << "abc" << false;
    QTest::newRow("closed device") << "180000" << true;
}

void TestPositionTracker::nothingOpenPutsPlayHeadAtStartOnly()
{
    QFETCH(QString, lengthReply);
    QFETCH(bool, rejected);
    Tracking t;
    t.device.setReply(Length, lengthReply);
    t.device.setPosition(45000);
    if (rejected)
        t.device.rejectCommandsStartingWith(Length);
    t.face.playHeadX = 2730.0f;
    t.face.txtFullTime = QStringLiteral("37");
    t.face.lblTime = QStringLiteral("00:00:12");
    t.state.PlayFraction = 0.3f;

    t.tracker.tick();

    QCOMPARE(t.face.playHeadX, 0.0f);
    QCOMPARE(t.face.txtFullTime, QStringLiteral("37"));
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:12"));
    QCOMPARE(t.state.PlayFraction, 0.3f);
    QCOMPARE(t.device.commands, QStringList({Length}));
}

void TestPositionTracker::followsThePlayPosition_data()
{
    QTest::addColumn<int>("lengthMs");
    QTest::addColumn<int>("positionMs");
    QTest::addColumn<QString>("fullTime");
    QTest::addColumn<float>("fraction");
    QTest::addColumn<float>("headPixels");
    QTest::addColumn<QString>("shownTime");
    QTest::newRow("quarter of three minutes") << 180000 << 45000 << "180" << 0.25f << 182.0f << "00:00:45";
    QTest::newRow("10.9 s file at its end") << 10900 << 10900 << "10" << 1.0f << 728.0f << "00:00:10";
    QTest::newRow("start of file") << 180000 << 0 << "180" << 0.0f << 0.0f << "00:00:00";
    QTest::newRow("half of a 4 s file") << 4999 << 2500 << "4" << 2500.0f / 4999.0f
                                         << 728.0f * 2500.0f / 4999.0f << "00:00:02";
    QTest::newRow("more than 100 hours") << 360000000 << 360000000 << "360000" << 1.0f << 728.0f
                                          << "100:00:00";
}

void TestPositionTracker::followsThePlayPosition()
{
    QFETCH(int, lengthMs);
    QFETCH(int, positionMs);
    QFETCH(QString, fullTime);
    QFETCH(float, fraction);
    QFETCH(float, headPixels);
    QFETCH(QString, shownTime);
    Tracking t;
    t.device.setLength(lengthMs);
    t.device.setPosition(positionMs);

    t.tracker.tick();

    QCOMPARE(t.device.commands, QStringList({Length, Position}));
    QCOMPARE(t.face.txtFullTime, fullTime);
    QCOMPARE(t.state.PlayFraction, fraction);
    QCOMPARE(pixels(t.face.playHeadX), headPixels);
    QCOMPARE(t.face.lblTime, shownTime);
}

void TestPositionTracker::stopsASelectionPreviewAtItsEnd_data()
{
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<int>("playingSelection");
    QTest::addColumn<int>("positionMs");
    QTest::addColumn<int>("lengthMs");
    QTest::addColumn<bool>("stops");
    QTest::newRow("just before the end") << 20 << -1 << 19999 << 180000 << false;
    QTest::newRow("at the end") << 20 << -1 << 20000 << 180000 << true;
    // 160 s x 0.125 is exactly 20: reaching the end counts, not only passing it.
    QTest::newRow("exactly at the end") << 20 << -1 << 20000 << 160000 << true;
    QTest::newRow("past the end") << 20 << -1 << 22000 << 180000 << true;
    QTest::newRow("no end set") << 0 << -1 << 170000 << 180000 << false;
    QTest::newRow("not a preview") << 20 << 0 << 30000 << 180000 << false;
}

void TestPositionTracker::stopsASelectionPreviewAtItsEnd()
{
    QFETCH(int, selEnd);
    QFETCH(int, playingSelection);
    QFETCH(int, positionMs);
    QFETCH(int, lengthMs);
    QFETCH(bool, stops);
    Tracking t;
    t.state.SelEnd = selEnd;
    t.state.PlayingSelection = static_cast<Flag>(playingSelection);
    t.state.IsPaused = FlagTrue;
    t.device.setLength(lengthMs);
    t.device.setPosition(positionMs);

    t.tracker.tick();

    const QStringList polled({Length, Position});
    if (stops) {
        QCOMPARE(t.device.commands,
                 polled + QStringList({QStringLiteral("stop sound"), QStringLiteral("close sound")}));
        QCOMPARE(t.face.lblTime, QStringLiteral("00:00:00"));
        QCOMPARE(t.state.PlayingSelection, FlagFalse);
        QCOMPARE(t.state.IsPaused, FlagFalse);
        QCOMPARE(t.state.PlayFraction, 0.0f);
    } else {
        QCOMPARE(t.device.commands, polled);
        QCOMPARE(int(t.state.PlayingSelection), playingSelection);
        QCOMPARE(t.state.IsPaused, FlagTrue);
        QVERIFY(t.face.lblTime != QStringLiteral("00:00:00"));
    }
}

void TestPositionTracker::nextTickAfterTheStopFindsNothingOpen()
{
    Tracking t;
    t.device.setStatusNeedsOpenDevice(true);
    t.device.setOpen(true);
    t.device.setLength(180000);
    t.device.setPosition(21000);
    t.state.SelEnd = 20;
    t.state.PlayingSelection = FlagTrue;

    t.tracker.tick();
    QVERIFY(!t.device.isOpen());
    QVERIFY(t.face.playHeadX > 0.0f);

    t.tracker.tick();
    QCOMPARE(t.face.playHeadX, 0.0f);
    QCOMPARE(t.face.txtFullTime, QStringLiteral("180"));
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:00"));
}

void TestPositionTracker::endOfFileKeepsTheFlags()
{
    Tracking t;
    t.state.IsPaused = FlagTrue;
    t.state.PlayingSelection = FlagTrue;  // a preview without an end
    t.device.setLength(10900);
    t.device.setPosition(10900);
    for (int i = 0; i < 3; ++i)
        t.tracker.tick();
    QCOMPARE(t.face.playHeadX, timeline::TimelineSpan);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:10"));
    QCOMPARE(t.state.IsPaused, FlagTrue);
    QCOMPARE(t.state.PlayingSelection, FlagTrue);
    QCOMPARE(t.device.count(QStringLiteral("stop sound")), 0);
}

void TestPositionTracker::announcesOnlyRealChanges()
{
    Tracking t;
    QSignalSpy changed(&t.face, &MainFace::changed);
    t.device.setLength(180000);
    t.device.setPosition(45000);
    t.tracker.tick();
    QCOMPARE(changed.count(), 1);
    t.tracker.tick();
    QCOMPARE(changed.count(), 1);

    // A new position within the same second moves only the play head.
    t.device.setPosition(45100);
    t.tracker.tick();
    QCOMPARE(changed.count(), 2);
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:45"));

    t.device.setLength(0);
    t.tracker.tick();
    QCOMPARE(changed.count(), 3);
    t.tracker.tick();
    QCOMPARE(changed.count(), 3);
}

void TestPositionTracker::correctsAForeignWriteToTheLength()
{
    Tracking t;
    t.device.setLength(180000);
    t.device.setPosition(45000);
    t.tracker.tick();
    t.face.txtFullTime = QStringLiteral("0");
    t.face.lblTime = QStringLiteral("00:00:00");
    t.tracker.tick();
    QCOMPARE(t.face.txtFullTime, QStringLiteral("180"));
    QCOMPARE(t.face.lblTime, QStringLiteral("00:00:45"));
}

void TestPositionTracker::timerTicksUntilDisabled()
{
    Tracking t;
    QVERIFY(!t.tracker.isEnabled());
    t.tracker.start();
    QVERIFY(t.tracker.isEnabled());
    QTRY_VERIFY(t.device.count(Length) >= 2);

    t.tracker.setEnabled(false);
    QVERIFY(!t.tracker.isEnabled());
    const int ticks = t.device.count(Length);
    QTest::qWait(3 * PositionTracker::IntervalMs);
    QCOMPARE(t.device.count(Length), ticks);

    t.tracker.setEnabled(true);
    QTRY_VERIFY(t.device.count(Length) > ticks);
}

QTEST_GUILESS_MAIN(TestPositionTracker)
#include "test_position_tracker.moc"
