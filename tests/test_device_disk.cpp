// The real playback device on SDL's "disk" driver, which writes every sample it
// is handed to a raw file in real time: the recording is what the listener
// would have heard. The source is a rising tone over a constant offset, so no
// sample of it is zero and silence in the recording is always the device.
//
// Every step waits for something the device or the driver has done (frames
// handed over, silence written), never for a stretch of time, so the outcome
// does not depend on how busy the machine is; time limits only catch a hang.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"

#include "support/Media.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
// 16-bit samples become float exactly in ffmpeg and in libsndfile; this only
// allows for rounding in the last bit.
constexpr float SampleTolerance = 1e-5f;
// Only a device that has stopped playing (or a hung machine) takes this long.
constexpr int HangMs = 60000;

std::vector<float> readFloats(const QString &path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    std::vector<float> samples(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

// The recording's sounding frames in order, and where (in sounding frames) and
// for how long each silence between sounds came. Silence before the first and
// after the last sound is the device idling.
struct Recording {
    std::vector<float> sounding;
    std::vector<std::size_t> gapsAt;
    std::vector<std::size_t> gapFrames;
};

Recording splitRecording(const std::vector<float> &samples)
{
    Recording r;
    std::size_t silence = 0;
    for (std::size_t f = 0; f < samples.size() / Channels; ++f) {
        const auto frame = samples.begin() + f * Channels;
        if (std::all_of(frame, frame + Channels, [](float s) { return s == 0.0f; })) {
            ++silence;
            continue;
        }
        if (silence > 0 && !r.sounding.empty()) {
            r.gapsAt.push_back(r.sounding.size() / Channels);
            r.gapFrames.push_back(silence);
        }
        silence = 0;
        r.sounding.insert(r.sounding.end(), frame, frame + Channels);
    }
    return r;
}

bool accepts(StringCommandDevice &device, const QString &command)
{
    bool ok = false;
    device.send(command, &ok);
    return ok;
}

qint64 positionOf(StringCommandDevice &device)
{
    return device.send(QStringLiteral("status sound position")).toLongLong();
}

std::int64_t framesHanded(const StringCommandDevice &device)
{
    return device.driverStats().framesHanded;
}

// Plays on until the driver has been handed file frame `frame`.
bool playUntilHanded(const StringCommandDevice &device, std::int64_t frame)
{
    return QTest::qWaitFor([&] { return framesHanded(device) >= frame; }, HangMs);
}

}  // namespace

class TestDeviceDisk : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_wav;
    std::vector<float> m_reference;  // the WAV's samples as float, interleaved
    QString m_recording;             // the file the disk driver is writing
    // What the last play() saw: whether the position got to the length, and the
    // frames handed to the driver by then.
    bool m_reachedEnd = false;
    std::int64_t m_handedAtEnd = -1;

    // Opens the WAV, runs the steps, lets it play to the end; what was recorded.
    Recording play(const QString &name, const std::function<void(StringCommandDevice &)> &steps)
    {
        m_recording = m_dir.filePath(name);
        m_reachedEnd = false;
        m_handedAtEnd = -1;
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_recording));
        {
            StringCommandDevice device;
            if (!accepts(device, "open " + m_wav + " alias sound")
                || device.driverStats().driver != u"disk") {
                qWarning("the WAV could not be opened on the disk driver");
                return {};
            }
            steps(device);
            const QString length = device.send(QStringLiteral("status sound length"));
            m_reachedEnd = QTest::qWaitFor(
                [&] { return device.send(QStringLiteral("status sound position")) == length; },
                HangMs);
            m_handedAtEnd = framesHanded(device);
        }
        return splitRecording(readFloats(m_recording));
    }

    // While the device is halted, waits until the disk driver has written at
    // least `frames` frames of silence after everything the device had handed
    // it. The driver may still be writing the last buffer it was handed, and
    // the file may lag behind by what is buffered on the way to it; both are
    // allowed for, so the wait only ends once that much silence is on disk.
    bool recordSilence(const StringCommandDevice &device, std::int64_t frames)
    {
        const qint64 frameBytes = qint64(Channels) * qint64(sizeof(float));
        const qint64 inFlight = 2 * qint64(device.driverStats().bufferFrames) * frameBytes + 65536;
        const qint64 until = QFileInfo(m_recording).size() + inFlight + frames * frameBytes;
        return QTest::qWaitFor([&] { return QFileInfo(m_recording).size() >= until; }, HangMs);
    }

    // The first sample where the sounding part is not the WAV from 2 s on; -1
    // when it is exactly that.
    qint64 mismatchFromTwoSeconds(const Recording &r) const
    {
        const std::size_t offset = 2 * Rate * Channels;
        const std::size_t common = std::min(r.sounding.size(), m_reference.size() - offset);
        for (std::size_t i = 0; i < common; ++i) {
            if (std::fabs(r.sounding[i] - m_reference[offset + i]) > SampleTolerance)
                return qint64(i);
        }
        return r.sounding.size() == m_reference.size() - offset ? -1 : qint64(common);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("chirp.wav"));
        const QString raw = m_dir.filePath(QStringLiteral("reference.f32"));
        QVERIFY(media::runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("aevalsrc=0.5+0.4*sin(2*PI*(300+200*t)*t)|0.5+0.3*sin(2*PI*(700-100*t)*t)"
                            ":s=%1:d=4:c=stereo").arg(Rate),
             "-c:a", "pcm_s16le", m_wav}));
        QVERIFY(media::runFfmpeg({"-i", m_wav, "-f", "f32le", "-c:a", "pcm_f32le", raw}));
        m_reference = readFloats(raw);
        QCOMPARE(m_reference.size(), std::size_t(Rate) * 4 * Channels);
    }

    void playFromTwoSecondsRecordsTheSourceFromTwoSeconds()
    {
        const Recording r = play(QStringLiteral("from2.raw"), [](StringCommandDevice &device) {
            QVERIFY(accepts(device, QStringLiteral("play sound from 2000")));
        });
        QVERIFY(m_reachedEnd);
        QCOMPARE(m_handedAtEnd, std::int64_t(4 * Rate));
        QVERIFY2(r.gapsAt.empty(), "the sound was interrupted");
        QCOMPARE(mismatchFromTwoSeconds(r), qint64(-1));
    }

    // Pausing silences the output and holds the position at what was handed to
    // the driver; resuming and stop-then-play go on from exactly there.
    void pauseAndStopNeitherDropNorRepeatSamples()
    {
        std::int64_t pausedFrame = -1;
        std::int64_t stoppedFrame = -1;
        qint64 pausedMs = -1;
        qint64 stoppedMs = -1;
        const Recording r = play(QStringLiteral("paused.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, QStringLiteral("play sound from 2000")));
            QVERIFY(playUntilHanded(device, 2 * Rate + Rate * 4 / 10));
            QVERIFY(accepts(device, QStringLiteral("pause sound")));
            pausedFrame = framesHanded(device);
            pausedMs = positionOf(device);
            // A quarter of a second of silence while paused, and not a frame more handed.
            QVERIFY(recordSilence(device, Rate / 4));
            QCOMPARE(framesHanded(device), pausedFrame);
            QCOMPARE(positionOf(device), pausedMs);
            QVERIFY(accepts(device, QStringLiteral("resume sound")));
            QVERIFY(playUntilHanded(device, pausedFrame + Rate * 4 / 10));
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            stoppedFrame = framesHanded(device);
            stoppedMs = positionOf(device);
            QVERIFY(recordSilence(device, Rate / 4));
            QCOMPARE(framesHanded(device), stoppedFrame);
            QCOMPARE(positionOf(device), stoppedMs);
            QVERIFY(accepts(device, QStringLiteral("play sound")));
        });
        QVERIFY(m_reachedEnd);
        QCOMPARE(m_handedAtEnd, std::int64_t(4 * Rate));
        QCOMPARE(mismatchFromTwoSeconds(r), qint64(-1));
        QCOMPARE(r.gapsAt.size(), std::size_t(2));
        for (const std::size_t gap : r.gapFrames)
            QVERIFY2(gap > Rate / 5, qPrintable(QString::number(gap)));
        // The sound broke off exactly after the frames handed before the pause
        // and the stop, and the held positions are those frames, to the millisecond.
        QCOMPARE(std::int64_t(r.gapsAt[0]) + 2 * Rate, pausedFrame);
        QCOMPARE(std::int64_t(r.gapsAt[1]) + 2 * Rate, stoppedFrame);
        QCOMPARE(pausedMs, qint64(pausedFrame * 1000 / Rate));
        QCOMPARE(stoppedMs, qint64(stoppedFrame * 1000 / Rate));
    }
};

int main(int argc, char **argv)
{
    // SDL reads the driver's name when its audio starts, at the first "open".
    qputenv("SDL_AUDIODRIVER", "disk");
    QCoreApplication app(argc, argv);
    TestDeviceDisk test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_device_disk.moc"
