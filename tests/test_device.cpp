// The real playback device on SDL's dummy driver, which consumes samples in real
// time without making a sound.
//
// Positions are checked against what the device has handed to the driver, never
// against a clock: the position is what the listener hears, which is at most one
// driver buffer behind the last frame handed over and never beyond it. So every
// check holds however slowly the machine runs; time limits only catch a hang.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"
#include "playback/WavFacts.h"

#include "support/Media.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QTest>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

// Only a device that has stopped handing frames (or a hung machine) takes this long.
constexpr int HangMs = 60000;

QString openCommand(const QString &path)
{
    return QStringLiteral("open ") + path + QStringLiteral(" alias sound");
}

bool accepts(StringCommandDevice &device, const QString &command)
{
    bool ok = false;
    device.send(command, &ok);
    return ok;
}

// The reply to a status query as a number, -1 when the query is refused.
qint64 status(StringCommandDevice &device, const char *what)
{
    bool ok = false;
    const QString reply = device.send(QStringLiteral("status sound ") + QLatin1String(what), &ok);
    return ok ? reply.toLongLong() : -1;
}
qint64 positionOf(StringCommandDevice &device) { return status(device, "position"); }
qint64 lengthOf(StringCommandDevice &device) { return status(device, "length"); }

string_device::SdlOutputStats statsOf(const StringCommandDevice &device)
{
    return device.driverStats();
}

// Milliseconds as the device reports them: whole ones, rounded down.
qint64 msOf(std::int64_t frames, int rate)
{
    return frames * 1000 / rate;
}
// The first file frame at or after ms milliseconds: where "play sound from ms" starts.
std::int64_t frameAt(qint64 ms, int rate)
{
    return (ms * rate + 999) / 1000;
}

// One position query with the driver's frame cursor read just before and just after.
struct Reading {
    qint64 positionMs = -1;
    std::int64_t handedBefore = 0;
    std::int64_t handedAfter = 0;
    int rate = 0;
    int bufferFrames = 0;
};

Reading readPosition(StringCommandDevice &device)
{
    Reading r;
    const auto before = statsOf(device);
    r.positionMs = positionOf(device);
    const auto after = statsOf(device);
    r.handedBefore = before.framesHanded;
    r.handedAfter = after.framesHanded;
    r.rate = after.sampleRate;
    r.bufferFrames = after.bufferFrames;
    return r;
}

// Empty when the position is in step with the frames handed: at most one
// driver buffer behind the cursor read before the query and at most one
// ahead of the cursor read after it (the callback may be between publishing
// a hand-off and moving the cursor).
QString stepFault(const Reading &r)
{
    if (r.rate <= 0 || r.bufferFrames <= 0)
        return QStringLiteral("no driver: rate %1, buffer %2").arg(r.rate).arg(r.bufferFrames);
    const qint64 low = msOf(r.handedBefore - r.bufferFrames, r.rate);
    const qint64 high = msOf(r.handedAfter + r.bufferFrames, r.rate);
    if (r.positionMs >= low && r.positionMs <= high)
        return {};
    return QStringLiteral("position %1 ms, frames handed %2..%3 at %4 Hz (buffer %5): expected %6..%7 ms")
        .arg(r.positionMs).arg(r.handedBefore).arg(r.handedAfter).arg(r.rate)
        .arg(r.bufferFrames).arg(low).arg(high);
}

#define VERIFY_IN_STEP(reading)                                          \
    do {                                                                 \
        const QString fault_ = stepFault(reading);                       \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                  \
    } while (false)

// Right after a command that starts playback at file frame `frame`, with
// `callbacksBefore` the driver's callback count from before the command:
// empty when the position reads at least the start at once, the driver counts
// from the start, and neither has got further than the callbacks since then
// can have taken them (each hands over at most one buffer).
QString startFault(StringCommandDevice &device, std::int64_t frame,
                   std::int64_t callbacksBefore, Reading *reading)
{
    const Reading r = readPosition(device);
    const std::int64_t since = device.driverStats().callbacks - callbacksBefore;
    if (reading)
        *reading = r;
    const QString inStep = stepFault(r);
    if (!inStep.isEmpty())
        return inStep;
    const std::int64_t reach = frame + (since + 1) * r.bufferFrames;
    if (r.handedBefore < frame || r.handedAfter > reach || r.positionMs < msOf(frame, r.rate)
        || r.positionMs > msOf(reach, r.rate))
        return QStringLiteral("started at frame %1: position %2 ms, frames handed %3..%4 "
                              "after %5 callbacks of %6 frames")
            .arg(frame).arg(r.positionMs).arg(r.handedBefore).arg(r.handedAfter).arg(since)
            .arg(r.bufferFrames);
    return {};
}

// Sends a command that must start playback at file frame `frame` and checks
// the start (see startFault); *reading is the position read right after.
#define VERIFY_STARTS_AT(device, command, frame, reading)                                       \
    do {                                                                                        \
        const std::int64_t callbacks_ = (device).driverStats().callbacks;                       \
        QVERIFY(accepts(device, QStringLiteral(command)));                                      \
        const QString fault_ = startFault(device, frame, callbacks_, reading);                  \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                                         \
    } while (false)

#define VERIFY_AT_LEAST(value, low)                                                   \
    do {                                                                              \
        const qint64 v_ = (value);                                                    \
        QVERIFY2(v_ >= (low), qPrintable(QStringLiteral("%1 < %2").arg(v_).arg(low))); \
    } while (false)

// Lets the device play until `done` holds, reading the position all along:
// every reading must be in step with the frames handed and none below the one
// before it (nor below floorMs). Returns the fault, or that the condition was
// not reached in HangMs; empty when all went well. *last is the last reading.
QString watchPlaying(StringCommandDevice &device, qint64 floorMs,
                     const std::function<bool(const Reading &)> &done, Reading *last = nullptr)
{
    QString fault;
    Reading previous;
    previous.positionMs = floorMs;
    const bool reached = QTest::qWaitFor(
        [&] {
            const Reading r = readPosition(device);
            fault = stepFault(r);
            if (fault.isEmpty() && r.positionMs < previous.positionMs)
                fault = QStringLiteral("position went back from %1 to %2 ms")
                            .arg(previous.positionMs).arg(r.positionMs);
            previous = r;
            return !fault.isEmpty() || done(r);
        },
        HangMs);
    if (last)
        *last = previous;
    if (!fault.isEmpty())
        return fault;
    return reached ? QString() : QStringLiteral("still not there after %1 ms: position %2 ms, "
                                                "frames handed %3")
                                     .arg(HangMs).arg(previous.positionMs).arg(previous.handedAfter);
}

// Plays on until the driver has been handed file frame `frame`, checking the
// position all the way (see watchPlaying).
#define PLAY_UNTIL_HANDED(device, floorMs, frame, last)                                        \
    do {                                                                                       \
        const std::int64_t until_ = (frame);                                                   \
        const QString fault_ = watchPlaying(                                                   \
            device, floorMs, [&](const Reading &r) { return r.handedBefore >= until_; }, last); \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                                        \
    } while (false)

// Plays on until the device has stopped by itself at the end, checking the
// position all the way: it may only reach the length in step with the frames
// handed. Stopped is told from playing by "resume sound", which a stopped
// device refuses and a playing one accepts, neither changing anything.
#define PLAY_TO_THE_END(device, floorMs, lengthMs)                                              \
    do {                                                                                        \
        const qint64 end_ = (lengthMs);                                                         \
        const QString fault_ = watchPlaying(device, floorMs, [&](const Reading &r) {            \
            return r.positionMs == end_ && !accepts(device, QStringLiteral("resume sound"));    \
        });                                                                                     \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                                         \
    } while (false)

// Gives a faulty device time to move when it should hold still. A correct
// device passes however long this takes, so it never decides the outcome of a
// check; it only makes a fault likely to show.
void giveTimeToMove(int ms)
{
    QTest::qWait(ms);
}

// Checks that a device that is not playing holds still: after a while the
// position, the frame cursor and the number of callbacks (halted, the driver
// calls none) are all what they were.
#define VERIFY_HOLDS_STILL(device, positionMs)                                         \
    do {                                                                               \
        const auto held_ = statsOf(device);                                            \
        giveTimeToMove(300);                                                           \
        QCOMPARE(positionOf(device), qint64(positionMs));                              \
        QCOMPARE(statsOf(device).framesHanded, held_.framesHanded);                    \
        QCOMPARE(statsOf(device).callbacks, held_.callbacks);                          \
    } while (false)

// Run in a child process whose SDL_AUDIODRIVER cannot be used: the device has
// to fall back to the dummy driver and still play. Prints the driver, the
// frames handed around one position query and that position.
int fallbackProbe(const char *wavPath)
{
    StringCommandDevice device;
    if (!accepts(device, openCommand(QString::fromLocal8Bit(wavPath)))
        || !accepts(device, QStringLiteral("play sound")))
        return 2;
    const auto started = statsOf(device);
    if (started.sampleRate <= 0)
        return 3;
    // A quarter of a second of sound handed over.
    QTest::qWaitFor([&] { return statsOf(device).framesHanded >= started.sampleRate / 4; }, HangMs);
    const Reading r = readPosition(device);
    std::printf("driver=%s rate=%d buffer=%d before=%lld position=%lld after=%lld\n",
                qPrintable(statsOf(device).driver), r.rate, r.bufferFrames,
                static_cast<long long>(r.handedBefore), static_cast<long long>(r.positionMs),
                static_cast<long long>(r.handedAfter));
    return 0;
}

}  // namespace

class TestDevice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_long;   // 20 s, 44.1 kHz stereo
    QString m_short;  // 1 s, 48 kHz mono
    QString m_notSound;

private slots:
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "dummy");
        QVERIFY(m_dir.isValid());
        m_long = m_dir.filePath(QStringLiteral("long.wav"));
        m_short = m_dir.filePath(QStringLiteral("short.wav"));
        QVERIFY(media::makeWav(m_long, 20.0, 44100));
        QVERIFY(media::makePcmWav(m_short, 1.0, 48000, 1, QStringLiteral("pcm_s16le")));
        m_notSound = m_dir.filePath(QStringLiteral("notes.wav"));
        QFile notes(m_notSound);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("words, not sound\n") > 0);
    }

    // Playing hands the file to the driver from its first frame on, and the
    // position follows what was handed, moving forwards only.
    void positionFollowsTheFramesHandedToTheDriver()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        const auto opened = statsOf(device);
        QCOMPARE(opened.driver, QStringLiteral("dummy"));
        QCOMPARE(opened.sampleRate, 44100);
        QVERIFY(opened.bufferFrames > 0 && opened.bufferFrames <= 44100 / 10);
        QCOMPARE(opened.framesHanded, std::int64_t(0));
        QCOMPARE(opened.callbacks, std::int64_t(0));  // opened halted

        VERIFY_STARTS_AT(device, "play sound", 0, nullptr);
        Reading first;
        PLAY_UNTIL_HANDED(device, 0, 44100 / 5, &first);
        const int buffer = first.bufferFrames;
        VERIFY_AT_LEAST(first.positionMs, msOf(44100 / 5 - buffer, 44100));
        Reading second;
        PLAY_UNTIL_HANDED(device, first.positionMs, first.handedAfter + 44100 * 3 / 2, &second);
        // A second and a half more handed over: the position moved by as
        // much, less at most a buffer at either end.
        VERIFY_AT_LEAST(second.positionMs - first.positionMs,
                        msOf(44100 * 3 / 2 - 2 * buffer, 44100) - 1);
    }

    void pauseHoldsResumeContinuesStopKeepsOpen()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        const int rate = 44100;
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        PLAY_UNTIL_HANDED(device, 0, rate / 2, nullptr);

        // Paused, the device holds at the frame the driver was handed last.
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const std::int64_t pausedFrame = statsOf(device).framesHanded;
        const qint64 paused = positionOf(device);
        QVERIFY(pausedFrame >= rate / 2);
        QCOMPARE(paused, msOf(pausedFrame, rate));
        VERIFY_HOLDS_STILL(device, paused);
        QVERIFY(accepts(device, QStringLiteral("pause sound")));  // harmless, still holds
        VERIFY_HOLDS_STILL(device, paused);

        // Resumed, the driver is handed frames from the paused one on and the
        // position goes on from where it was held.
        Reading later;
        VERIFY_STARTS_AT(device, "resume sound", pausedFrame, &later);
        PLAY_UNTIL_HANDED(device, paused, pausedFrame + rate * 6 / 10, &later);
        VERIFY_AT_LEAST(later.positionMs,
                        msOf(pausedFrame + rate * 6 / 10 - later.bufferFrames, rate));

        // "stop sound" holds the position too, keeps the device open, and
        // "play sound" goes on from there; a resume is refused.
        QVERIFY(accepts(device, QStringLiteral("stop sound")));
        const std::int64_t stoppedFrame = statsOf(device).framesHanded;
        const qint64 stopped = positionOf(device);
        QCOMPARE(stopped, msOf(stoppedFrame, rate));
        VERIFY_AT_LEAST(stopped, later.positionMs);
        VERIFY_HOLDS_STILL(device, stopped);
        QVERIFY(!accepts(device, QStringLiteral("resume sound")));
        VERIFY_HOLDS_STILL(device, stopped);
        VERIFY_STARTS_AT(device, "play sound", stoppedFrame, &later);
        PLAY_UNTIL_HANDED(device, stopped, stoppedFrame + rate * 3 / 10, &later);
        VERIFY_AT_LEAST(later.positionMs,
                        msOf(stoppedFrame + rate * 3 / 10 - later.bufferFrames, rate));
    }

    void playFromReportsTheNewPositionAtOnce()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        const int rate = 44100;
        Reading r;
        VERIFY_STARTS_AT(device, "play sound from 12000", frameAt(12000, rate), &r);
        VERIFY_AT_LEAST(r.positionMs, 12000);
        PLAY_UNTIL_HANDED(device, 12000, frameAt(12000, rate) + rate * 4 / 10, &r);
        VERIFY_AT_LEAST(r.positionMs,
                        msOf(frameAt(12000, rate) + rate * 4 / 10 - r.bufferFrames, rate));

        // Seeking while playing and while paused jumps just the same.
        VERIFY_STARTS_AT(device, "play sound from 3000", frameAt(3000, rate), &r);
        VERIFY_AT_LEAST(r.positionMs, 3000);
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const qint64 paused = positionOf(device);
        VERIFY_AT_LEAST(paused, 3000);
        QCOMPARE(paused, msOf(statsOf(device).framesHanded, rate));
        VERIFY_STARTS_AT(device, "play sound from 19000", frameAt(19000, rate), &r);
        VERIFY_AT_LEAST(r.positionMs, 19000);
        // Playing, not paused: the driver takes frames and the position moves.
        PLAY_UNTIL_HANDED(device, r.positionMs, frameAt(19000, rate) + rate / 4, &r);
        VERIFY_AT_LEAST(r.positionMs,
                        msOf(frameAt(19000, rate) + rate / 4 - r.bufferFrames, rate));
    }

    void theEndOfTheFileStopsTheDeviceAndKeepsItOpen()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_short)));
        QCOMPARE(lengthOf(device), 1000);
        // Beyond the end fails and leaves the device open and not playing.
        QVERIFY(!accepts(device, QStringLiteral("play sound from 1001")));
        VERIFY_HOLDS_STILL(device, 0);
        QCOMPARE(statsOf(device).callbacks, std::int64_t(0));
        QCOMPARE(lengthOf(device), 1000);

        // Played to the end: every frame handed, none more, and then the
        // device stands still at the length.
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        PLAY_TO_THE_END(device, 0, 1000);
        QCOMPARE(statsOf(device).framesHanded, std::int64_t(48000));
        VERIFY_HOLDS_STILL(device, 1000);

        // Playing on from the end plays nothing; the device stopped, so no resume.
        QVERIFY(accepts(device, QStringLiteral("play sound")));
        QCOMPARE(positionOf(device), 1000);
        VERIFY_HOLDS_STILL(device, 1000);
        QVERIFY(!accepts(device, QStringLiteral("resume sound")));
        // The very end is still inside the file: it plays nothing and is at the end.
        QVERIFY(accepts(device, QStringLiteral("play sound from 1000")));
        QCOMPARE(positionOf(device), 1000);
        VERIFY_HOLDS_STILL(device, 1000);
        QCOMPARE(statsOf(device).framesHanded, std::int64_t(48000));

        // From the start again: the driver is handed the whole file anew, so
        // it needs at least as many callbacks as that takes, and the position
        // follows it from the start up to the length once more.
        const auto atTheEnd = statsOf(device);
        Reading restarted;
        VERIFY_STARTS_AT(device, "play sound from 0", 0, &restarted);
        QVERIFY(statsOf(device).startNanoseconds != atTheEnd.startNanoseconds);
        PLAY_TO_THE_END(device, restarted.positionMs, 1000);
        const auto again = statsOf(device);
        QCOMPARE(again.framesHanded, std::int64_t(48000));
        VERIFY_AT_LEAST(again.callbacks - atTheEnd.callbacks,
                        (48000 + again.bufferFrames - 1) / again.bufferFrames);

        // Closing frees the alias for the next open.
        QVERIFY(accepts(device, QStringLiteral("close sound")));
        QCOMPARE(lengthOf(device), -1);
        QVERIFY(accepts(device, openCommand(m_long)));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), 0);
    }

    void rejectedCommandsChangeNothing_data()
    {
        QTest::addColumn<bool>("open");  // else closed
        QTest::addColumn<QString>("command");
        for (const char *command :
             {"play sound", "status sound position", "open alias sound",
              "open /no/such/file.wav alias sound", "open /tmp alias sound", "open %1 alias music",
              "open %2 alias sound", "setaudio sound fade off", "setaudio sound fade 0 10 100 10",
              "setaudio sound gain off", "setaudio sound gain 3.50"})
            QTest::addRow("closed: %s", command) << false << QString::fromLatin1(command);
        for (const char *command :
             {"", "PLAY SOUND", "play sound from ", "play sound from 1.5", "play sound from -1",
              "play sound from 20001", "play sound from 99999999999999999999999",
              "status sound volume", "resume sound", "open %1 alias sound",
              "setaudio sound fade -1 0 5000 0", "setaudio sound fade 0 -1 5000 0",
              "setaudio sound fade 0 0 5000 -1", "setaudio sound fade 5000 0 4999 0",
              "setaudio sound fade 0 10 5000", "setaudio sound fade", "setaudio sound gain 100.01",
              "setaudio sound gain 3.50 limit 0.01", "setaudio sound gain 3.50 ramp -1 50",
              "setaudio sound gain 3.50 ramp 0 -1", "setaudio sound gain 3.50 ramp 0 50 limit -5.00",
              "setaudio sound gain 3. limit -5.00", "setaudio sound gain 3.50 limit", "setaudio sound gain"})
            QTest::addRow("open: %s", command) << true << QString::fromLatin1(command);
    }

    // An open device is left stopped in the middle of the file: a rejected
    // command must neither move it nor start it. A closed one stays closed.
    void rejectedCommandsChangeNothing()
    {
        QFETCH(bool, open);
        QFETCH(QString, command);
        command.replace(QStringLiteral("%1"), m_short).replace(QStringLiteral("%2"), m_notSound);

        StringCommandDevice device;
        qint64 before = -1;
        std::int64_t beforeFrame = 0;
        if (open) {
            QVERIFY(accepts(device, openCommand(m_long)));
            VERIFY_STARTS_AT(device, "play sound from 3000", frameAt(3000, 44100), nullptr);
            PLAY_UNTIL_HANDED(device, 3000, frameAt(3000, 44100) + 44100 / 10, nullptr);
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            beforeFrame = statsOf(device).framesHanded;
            before = positionOf(device);
            QCOMPARE(before, msOf(beforeFrame, 44100));
            VERIFY_AT_LEAST(before, 3100);
        }
        bool ok = true;
        QCOMPARE(device.send(command, &ok), QString());
        QVERIFY(!ok);
        VERIFY_HOLDS_STILL(device, before);
        QCOMPARE(lengthOf(device), open ? 20000 : -1);
        if (!open) {  // the alias is free for a real open
            QVERIFY(accepts(device, openCommand(m_short)));
            QCOMPARE(lengthOf(device), 1000);
            return;
        }
        VERIFY_STARTS_AT(device, "play sound", beforeFrame, nullptr);
        PLAY_UNTIL_HANDED(device, before, beforeFrame + 44100 / 10, nullptr);
        QVERIFY(positionOf(device) > before);
    }

    // Setting and clearing the fades neither moves nor starts nor halts the
    // device: stopped it stays where it is, playing it plays on in step.
    void fadeCommandsLeavePlaybackAlone()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        const int rate = 44100;
        QVERIFY(accepts(device, QStringLiteral("setaudio sound fade 3000 500 8000 500")));
        VERIFY_HOLDS_STILL(device, 0);
        QCOMPARE(statsOf(device).callbacks, std::int64_t(0));

        VERIFY_STARTS_AT(device, "play sound from 2000", frameAt(2000, rate), nullptr);
        Reading r;
        PLAY_UNTIL_HANDED(device, 2000, frameAt(2000, rate) + rate / 5, &r);
        QVERIFY(accepts(device, QStringLiteral("setaudio sound fade off")));
        QVERIFY(accepts(device, QStringLiteral("setaudio sound fade 0 0 0 0")));
        QCOMPARE(device.send(QStringLiteral("status sound mode")), QStringLiteral("playing"));
        const std::int64_t handed = statsOf(device).framesHanded;
        PLAY_UNTIL_HANDED(device, r.positionMs, handed + rate / 5, &r);
        VERIFY_AT_LEAST(r.positionMs, msOf(handed + rate / 5 - r.bufferFrames, rate));

        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const qint64 paused = positionOf(device);
        QVERIFY(accepts(device, QStringLiteral("setaudio sound fade 3000 500 8000 500")));
        VERIFY_HOLDS_STILL(device, paused);
        QCOMPARE(device.send(QStringLiteral("status sound mode")), QStringLiteral("paused"));
    }

    void playsWavVariantsForTheirLength_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("16-bit 22.05 kHz stereo") << "pcm_s16le" << 22050 << 2 << QStringList();
        QTest::newRow("24-bit 96 kHz mono") << "pcm_s24le" << 96000 << 1 << QStringList();
        QTest::newRow("float 5.1 RF64") << "pcm_f32le" << 48000 << 6 << QStringList{"-rf64", "always"};
    }

    void playsWavVariantsForTheirLength()
    {
        QFETCH(QString, codec);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QStringList, extra);
        // Blanks, Chinese and the alias words in the path.
        const QString path = m_dir.filePath(QStringLiteral("a 铃声 alias sound/open alias sound.wav"));
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(media::makePcmWav(path, 0.6, rate, channels, codec, extra));
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(path)));
        QCOMPARE(lengthOf(device), 600);
        QCOMPARE(statsOf(device).sampleRate, rate);
        VERIFY_STARTS_AT(device, "play sound", 0, nullptr);
        PLAY_TO_THE_END(device, 0, 600);
        QCOMPARE(statsOf(device).framesHanded, qint64(rate) * 6 / 10);
        VERIFY_HOLDS_STILL(device, 600);
    }

    // The completion sound has its own alias: whatever it does, the open
    // file's length and position stay; and where the output takes one stream
    // only, the open file gets it.
    void theChimeNeverTouchesTheOpenFile()
    {
        StringCommandDevice device;
        QVERIFY(accepts(device, openCommand(m_long)));
        QVERIFY(accepts(device, QStringLiteral("play sound from 5000")));
        QVERIFY(accepts(device, QStringLiteral("pause sound")));
        const qint64 held = positionOf(device);
        device.send(QStringLiteral("open ") + m_short + QStringLiteral(" alias chime"));
        device.send(QStringLiteral("play chime"));
        device.send(QStringLiteral("close chime"));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), held);

        QVERIFY(accepts(device, QStringLiteral("close sound")));
        QVERIFY(accepts(device, QStringLiteral("open ") + m_short + QStringLiteral(" alias chime")));
        QVERIFY(accepts(device, QStringLiteral("play chime")));
        QCOMPARE(lengthOf(device), -1);  // nothing under "sound"
        QVERIFY(accepts(device, openCommand(m_long)));
        QCOMPARE(lengthOf(device), 20000);
        QCOMPARE(positionOf(device), 0);
    }

    // A header can claim any rate; the device sizes its buffers from it, so
    // it takes only what a listener could hear.
    void refusesFormatsNoListenerCouldHear_data()
    {
        QTest::addColumn<quint32>("rate");
        QTest::newRow("two billion frames a second") << quint32(2000000000);
        QTest::newRow("one frame a second") << quint32(1);
        QTest::newRow("769 kHz") << quint32(769000);
    }
    void refusesFormatsNoListenerCouldHear()
    {
        QFETCH(quint32, rate);
        const QString path = m_dir.filePath(QStringLiteral("claims %1 Hz.wav").arg(rate));
        QVERIFY(media::makePcmWav(path, 0.5, 8000, 1, QStringLiteral("pcm_s16le")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype fmt = bytes.indexOf("fmt ");
        QVERIFY(fmt > 0);
        qToLittleEndian(rate, bytes.data() + fmt + 12);       // frames a second
        qToLittleEndian(rate * 2, bytes.data() + fmt + 16);   // bytes a second
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        file.close();
        const auto facts = readWavFacts(path);
        QVERIFY(facts);
        QCOMPARE(quint32(facts->sampleRate), rate);
        QVERIFY(!facts->isPlayable());

        StringCommandDevice device;
        QVERIFY(!accepts(device, openCommand(path)));
        QCOMPARE(lengthOf(device), -1);
    }

    void fallsBackToTheDummyDriverWhenNoOutputCanBeOpened()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("no-such-driver"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--fallback-probe"), m_long});
        QVERIFY(child.waitForFinished(2 * HangMs));
        const QByteArray out = child.readAllStandardOutput();
        QCOMPARE(child.exitCode(), 0);
        QVERIFY2(out.contains("driver=dummy"), out.constData());
        const auto field = [&](const char *name) {
            const QByteArray key = QByteArray(" ") + name + '=';
            const qsizetype at = out.indexOf(key);
            return at < 0 ? qint64(-1)
                          : out.mid(at + key.size()).split(' ').first().trimmed().toLongLong();
        };
        Reading r;
        r.rate = int(field("rate"));
        r.bufferFrames = int(field("buffer"));
        r.handedBefore = field("before");
        r.positionMs = field("position");
        r.handedAfter = field("after");
        QCOMPARE(r.rate, 44100);
        // The dummy driver took a quarter of a second and the position follows it.
        QVERIFY2(r.handedBefore >= r.rate / 4, out.constData());
        QVERIFY2(r.positionMs > 0, out.constData());
        VERIFY_IN_STEP(r);
    }
};

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--fallback-probe") == 0)
        return fallbackProbe(argv[2]);
    QCoreApplication app(argc, argv);
    TestDevice test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_device.moc"
