// The real playback device on SDL's "disk" driver, which writes every sample it
// is handed to a raw file in real time: the recording is what the listener
// would have heard. The source is a rising tone over a constant offset, so no
// sample of it is zero and silence in the recording is always the device.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"

#include "support/Media.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
// 16-bit samples become float exactly in ffmpeg and in libsndfile; this only
// allows for rounding in the last bit.
constexpr float SampleTolerance = 1e-5f;

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

}  // namespace

class TestDeviceDisk : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_wav;
    std::vector<float> m_reference;  // the WAV's samples as float, interleaved

    // Opens the WAV, runs the steps, lets it play to the end; what was recorded.
    Recording play(const QString &name, const std::function<void(StringCommandDevice &)> &steps)
    {
        const QString recording = m_dir.filePath(name);
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(recording));
        {
            StringCommandDevice device;
            if (!accepts(device, "open " + m_wav + " alias sound")
                || device.driverStats().driver != u"disk") {
                qWarning("the WAV could not be opened on the disk driver");
                return {};
            }
            steps(device);
            const QString length = device.send(QStringLiteral("status sound length"));
            QElapsedTimer clock;
            clock.start();
            while (device.send(QStringLiteral("status sound position")) != length
                   && clock.elapsed() < 6000)
                QTest::qWait(10);
        }
        return splitRecording(readFloats(recording));
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
        QVERIFY2(r.gapsAt.empty(), "the sound was interrupted");
        QCOMPARE(mismatchFromTwoSeconds(r), qint64(-1));
    }

    // Pausing silences the output and holds the position at what was handed to
    // the driver; resuming and stop-then-play go on from exactly there.
    void pauseAndStopNeitherDropNorRepeatSamples()
    {
        qint64 pausedMs = -1;
        qint64 stoppedMs = -1;
        const Recording r = play(QStringLiteral("paused.raw"), [&](StringCommandDevice &device) {
            const QString position = QStringLiteral("status sound position");
            QVERIFY(accepts(device, QStringLiteral("play sound from 2000")));
            QTest::qWait(400);
            QVERIFY(accepts(device, QStringLiteral("pause sound")));
            pausedMs = device.send(position).toLongLong();
            QTest::qWait(300);
            QVERIFY(accepts(device, QStringLiteral("resume sound")));
            QTest::qWait(400);
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            stoppedMs = device.send(position).toLongLong();
            QTest::qWait(300);
            QVERIFY(accepts(device, QStringLiteral("play sound")));
        });
        QCOMPARE(mismatchFromTwoSeconds(r), qint64(-1));
        QCOMPARE(r.gapsAt.size(), std::size_t(2));
        for (const std::size_t gap : r.gapFrames)
            QVERIFY2(gap > Rate / 5, qPrintable(QString::number(gap)));
        // The held positions are where the sound broke off, to the millisecond.
        QCOMPARE(pausedMs, qint64((r.gapsAt[0] + 2 * Rate) * 1000 / Rate));
        QCOMPARE(stoppedMs, qint64((r.gapsAt[1] + 2 * Rate) * 1000 / Rate));
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
