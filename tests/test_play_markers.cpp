#include "ui/PlayMarkers.h"
#include "playback/PositionTracker.h"
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
    EditorModel model;
    TimelineFace face;
    RecordingDevice device;
    QString wav = dir.filePath(QStringLiteral("open.wav"));
    PositionTracker tracker{model, device};
    PlayMarkers markers{model, face, device, tracker, wav};

    Markers()
    {
        open(180000);
        QFile file(wav);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot create the working file");
        // A real device refuses positions outside the file and queries while closed.
        device.setStatusNeedsOpenDevice(true);
        device.rejectCommandsStartingWith(QStringLiteral("play sound from -"));
        tracker.start();
    }
    void open(qint64 lengthMs) { model.setMedia(OpenMedia{{}, {}, lengthMs, nullptr}); }
    QString open() const { return QStringLiteral("open ") + wav + QStringLiteral(" alias sound"); }
    // The commands sent, without the status queries of ticks that the running
    // timer may slip in wherever events are processed.
    QStringList sent() const
    {
        QStringList result = device.commands;
        result.removeIf([](const QString &command) { return command.startsWith(u"status sound "); });
        return result;
    }
    // Drags the play head from where it stands to toPx, grabbed 6 px into the grip.
    void drag(float toPx)
    {
        const float deltaPx = toPx - face.playHeadX / timeline::TwipsPerPixel;
        markers.press(px(6));
        QVERIFY(!tracker.isEnabled() && face.dragging);
        markers.move(px(6 + deltaPx));
        markers.release(px(6 + deltaPx));
    }
};

// A marker dragged from fromPx to atPx, or a panel press at atPx with the play head at fromPx.
struct Seek {
    bool panel;
    QString full;
    float fromPx, atPx;
    QString playFrom;
};

}  // namespace

class TestPlayMarkers : public QObject {
    Q_OBJECT
private slots:
    void seekPlaysFromTheChosenSecond_data();
    void seekPlaysFromTheChosenSecond();
    void moveAndReleaseWithoutPressDoNothing();
    void seekPastTheSelectionEndStopsAtTheNextTick();
    void missingWorkingFilePlaysNothing();
};

void TestPlayMarkers::seekPlaysFromTheChosenSecond_data()
{
    QTest::addColumn<Seek>("s");
    QTest::newRow("marker to 182 px of 180 s") << Seek{false, "180", 0, 182, "play sound from 45000"};
    QTest::newRow("marker to 91 px: to the millisecond") << Seek{false, "180", 0, 91, "play sound from 22500"};
    QTest::newRow("marker to 93 px") << Seek{false, "180", 0, 93, "play sound from 22995"};
    QTest::newRow("marker to the right end") << Seek{false, "180", 700, 728, "play sound from 180000"};
    QTest::newRow("marker let go in place") << Seek{false, "180", 100, 100, "play sound from 24725"};
    QTest::newRow("marker, nothing played yet") << Seek{false, "0", 0, 500, "play sound from 0"};
    // Refused by the device, which stays open at the start of the file.
    QTest::newRow("marker left of the line") << Seek{false, "180", 0, -20, "play sound from -4945"};
    QTest::newRow("panel at 364 px of 180 s") << Seek{true, "180", 0, 364, "play sound from 90000"};
    QTest::newRow("panel at the right edge") << Seek{true, "180", 0, 728, "play sound from 180000"};
}

void TestPlayMarkers::seekPlaysFromTheChosenSecond()
{
    QFETCH(Seek, s);
    Markers m;
    m.open(s.full.toLongLong() * 1000);
    m.face.playHeadX = px(s.fromPx);
    // A seek leaves the play state to the next tick.
    PlayState play;
    play.paused = play.playingSelection = true;
    play.fraction = 0.1f;
    play.positionMs = 18000;
    m.model.setPlay(play);
    QString timerAt;  // whether the timer ran when each command was sent
    m.device.onSend = [&](const QString &command) {
        if (!command.startsWith(QLatin1String("status ")))
            timerAt += m.tracker.isEnabled() ? u'1' : u'0';
    };
    QSignalSpy changed(&m.face, &TimelineFace::changed);

    s.panel ? m.markers.panelPress(px(s.atPx)) : m.drag(s.atPx);

    QCOMPARE(m.sent(), QStringList({Stop, Close, m.open(), s.playFrom}));
    QCOMPARE(timerAt, s.panel ? QStringLiteral("1111") : QStringLiteral("0011"));
    QCOMPARE(m.face.playHeadX, px(s.panel ? s.fromPx : s.atPx));
    QCOMPARE(changed.count() > 0, m.face.playHeadX != px(s.fromPx));
    QVERIFY(m.device.isOpen());
    QCOMPARE(m.face.dragging, false);
    QCOMPARE(m.model.play(), play);
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

void TestPlayMarkers::seekPastTheSelectionEndStopsAtTheNextTick()
{
    Markers m;
    PlayState play;
    play.playingSelection = true;
    m.model.setPlay(play);
    QVERIFY(m.model.setMarks(Marks{5000, 20000}));
    m.drag(91);
    m.device.setLength(180000);
    m.device.setPosition(22000);
    m.tracker.tick();
    QCOMPARE(m.sent(), QStringList({Stop, Close, m.open(), "play sound from 22500", Stop, Close}));
    QVERIFY(!m.device.isOpen());
    QCOMPARE(m.model.play().playingSelection, false);
    QCOMPARE(m.model.play().positionMs, 0);
}

void TestPlayMarkers::missingWorkingFilePlaysNothing()
{
    Markers m;
    QVERIFY(QFile::remove(m.wav));
    m.markers.panelPress(px(364));
    QCOMPARE(m.sent(), QStringList({Stop, Close, "open  alias sound", "play sound from 90000"}));
    QVERIFY(!m.device.isOpen());
}

QTEST_GUILESS_MAIN(TestPlayMarkers)
#include "test_play_markers.moc"
