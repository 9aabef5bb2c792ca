#include "playback/PositionTracker.h"
#include "playback/Timeline.h"
#include "ui/TimelineFace.h"
#include "support/RecordingDevice.h"

#include <QtTest>

namespace {

const QString Length = QStringLiteral("status sound length");
const QString Position = QStringLiteral("status sound position");

// The tracker with the play head following its ticks, as the window has it.
struct Tracking {
    EditorModel model;
    TimelineFace face;
    RecordingDevice device;
    PositionTracker tracker{model, device};

    Tracking(qint64 lengthMs = 180000, qint64 positionMs = 45000)
    {
        device.setLength(lengthMs);
        device.setPosition(positionMs);
        QObject::connect(&tracker, &PositionTracker::ticked, &face, [this] { face.followPlayback(model); });
    }
    void open(qint64 lengthMs) { model.setMedia(OpenMedia{{}, {}, lengthMs, nullptr}); }
};

float pixels(float twips) { return twips / timeline::TwipsPerPixel; }

// One tick of an open device, with IsPaused set and PlayingSelection as preview;
// what the tick shows, and whether it stops the preview at SelEnd.
struct Tick {
    int lengthMs, positionMs, selEndMs;
    bool preview;
    float headPx;
    QString time;
    bool stops;
    bool looping = false;  // the preview loops
};

}  // namespace

class TestPositionTracker : public QObject {
    Q_OBJECT
private slots:
    void nothingOpenPutsPlayHeadAtStartOnly();
    void tickFollowsThePlayPositionAndStopsAPreviewAtItsEnd_data();
    void tickFollowsThePlayPositionAndStopsAPreviewAtItsEnd();
    void announcesOnlyRealChanges();
    void timerTicksWhileEnabled();
    void playHeadStandsWhereItsMillisecondIsOnView();
};

void TestPositionTracker::playHeadStandsWhereItsMillisecondIsOnView()
{
    // a zoomed view of 30 s to 60 s: 45 s is in the middle, 75 s off the right end
    const struct { qint64 positionMs; float headPx; } cases[] = {{45000, 364}, {30000, 0}, {60000, 728}, {75000, 1092}};
    for (const auto &c : cases) {
        Tracking t(180000, c.positionMs);
        t.open(180000);
        t.model.setView({30000.0, 60000.0});
        t.tracker.tick();
        QCOMPARE(pixels(t.face.playHeadX), c.headPx);
        QCOMPARE(qlonglong(t.model.play().positionMs), c.positionMs);
    }

    // A preview of 40 s to 50 s reaching its end: the head goes back to 40 s,
    // and stays there once the device holds nothing.
    Tracking t(180000, 50000);
    t.open(180000);
    t.model.setView({30000.0, 60000.0});
    QVERIFY(t.model.setMarks(Marks{40000, 50000}));
    PlayState play;
    play.loaded = play.playingSelection = true;
    t.model.setPlay(play);
    t.tracker.tick();
    QCOMPARE(t.model.play().restMs, std::optional<std::int64_t>(40000));
    t.device.setReply(Length, QStringLiteral("0"));
    t.tracker.tick();
    QCOMPARE(pixels(t.face.playHeadX), 728.0f / 3);
}

void TestPositionTracker::nothingOpenPutsPlayHeadAtStartOnly()
{
    // A length of 0, no number, or a closed device refusing the query.
    for (const QString &reply : QStringList{"0", "", "abc", "refused"}) {
        Tracking t;  // answers 180000 unless told otherwise
        if (reply == u"refused")
            t.device.rejectCommandsStartingWith(Length);
        else
            t.device.setReply(Length, reply);
        t.open(37000);
        t.face.playHeadX = 2730.0f;
        PlayState play;
        play.loaded = true;
        play.positionMs = 12000;
        play.fraction = 0.3f;
        t.model.setPlay(play);
        t.tracker.tick();
        QCOMPARE((QVariantList{t.face.playHeadX, qlonglong(t.model.lengthMs()), qlonglong(t.model.play().positionMs),
                               t.model.play().fraction}),
                 (QVariantList{0.0f, 37000, 12000, 0.3f}));
        QCOMPARE(t.device.commands, QStringList({Length}));
    }
}

void TestPositionTracker::tickFollowsThePlayPositionAndStopsAPreviewAtItsEnd_data()
{
    QTest::addColumn<Tick>("d");
    QTest::newRow("LEN 180000, position 45000") << Tick{180000, 45000, 0, false, 182, "00:00:45.0", false};
    // A preview without an end runs to the end of the file; the flags stay.
    QTest::newRow("10.9 s file at its end") << Tick{10900, 10900, 0, true, 728, "00:00:10.9", false};
    QTest::newRow("half of a 4.999 s file")
        << Tick{4999, 2500, 0, false, 728.f * 2500 / 4999, "00:00:02.5", false};
    QTest::newRow("100 hours") << Tick{360000000, 360000000, 0, false, 728, "100:00:00.0", false};
    QTest::newRow("preview just before its end")
        << Tick{180000, 19999, 20000, true, 728.f * 19999 / 180000, "00:00:20.0", false};
    // reaching the end counts, not only passing it
    QTest::newRow("preview exactly at its end") << Tick{160000, 20000, 20000, true, 91, "00:00:00.0", true};
    QTest::newRow("a loop at its end goes on") << Tick{160000, 20000, 20000, true, 91, "00:00:20.0", false, true};
    QTest::newRow("preview a millisecond before a fractional end")
        << Tick{180000, 41499, 41500, true, 728.f * 41499 / 180000, "00:00:41.5", false};
    QTest::newRow("preview past its end") << Tick{180000, 22000, 20000, true, 728.f * 22 / 180, "00:00:00.0", true};
    QTest::newRow("not a preview") << Tick{180000, 30000, 20000, false, 728.f / 6, "00:00:30.0", false};
}

void TestPositionTracker::tickFollowsThePlayPositionAndStopsAPreviewAtItsEnd()
{
    QFETCH(Tick, d);
    Tracking t(d.lengthMs, d.positionMs);
    t.device.setStatusNeedsOpenDevice(true);
    t.device.setOpen(true);
    // The open file's length is the model's: what the device says of its own
    // length never changes it. With no stretch on view the play head stands at
    // the device's own share of its length.
    t.open(123456);
    t.model.setView({});
    QVERIFY(t.model.setMarks(Marks{0, d.selEndMs ? std::optional<std::int64_t>(d.selEndMs) : std::nullopt}));
    PlayState play;
    play.playingSelection = d.preview;
    play.looping = d.looping;
    play.paused = true;
    t.model.setPlay(play);
    t.tracker.tick();
    const QStringList polled({Length, Position});
    QCOMPARE(t.device.commands, d.stops ? polled + QStringList({"stop sound", "close sound"}) : polled);
    QCOMPARE(qlonglong(t.model.lengthMs()), 123456);
    QCOMPARE(pixels(t.face.playHeadX), d.headPx);
    QCOMPARE(t.model.play().fraction, d.stops ? 0.0f : d.headPx / 728);
    QCOMPARE(timeline::formatMilliseconds(t.model.play().positionMs), d.time);
    QCOMPARE(t.model.play().playingSelection, d.preview && !d.stops ? true : false);
    QCOMPARE(t.model.play().paused, d.stops ? false : true);

    // After a stop the next tick finds nothing open; the length stays.
    t.tracker.tick();
    QCOMPARE(pixels(t.face.playHeadX), d.stops ? 0.0f : d.headPx);
    QCOMPARE(qlonglong(t.model.lengthMs()), 123456);
}

void TestPositionTracker::announcesOnlyRealChanges()
{
    Tracking t;
    QSignalSpy changed(&t.face, &TimelineFace::changed);
    t.tracker.tick();
    t.tracker.tick();
    QCOMPARE(changed.count(), 1);

    // A new position within the same tenth moves only the play head.
    t.device.setPosition(45040);
    t.tracker.tick();
    QCOMPARE(changed.count(), 2);
    QCOMPARE(qlonglong(t.model.play().positionMs), 45040);

    t.device.setLength(0);
    t.tracker.tick();
    t.tracker.tick();
    QCOMPARE(changed.count(), 3);
}

void TestPositionTracker::timerTicksWhileEnabled()
{
    Tracking t;
    QVERIFY(!t.tracker.isEnabled());
    t.tracker.start();
    QVERIFY(t.tracker.isEnabled());
    QTRY_VERIFY(t.device.count(Length) > 0);
    t.tracker.setEnabled(false);
    QVERIFY(!t.tracker.isEnabled());
    t.tracker.setEnabled(true);
    QVERIFY(t.tracker.isEnabled());
}

QTEST_GUILESS_MAIN(TestPositionTracker)
#include "test_position_tracker.moc"
