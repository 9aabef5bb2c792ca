// The real playback device on SDL's "disk" driver, which writes every sample it
// is handed to a raw file in real time. The recording shows exactly which
// samples the listener would have heard. The source is a rising tone over a
// constant offset, so no sample of it is zero: silence in the recording is
// always the device being silent, never the sound itself.

#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr int Channels = 2;
constexpr int SourceSeconds = 4;
// The conversion from 16-bit samples to float is exact both in ffmpeg and in
// libsndfile; the tolerance only allows for rounding in the last bit.
constexpr float SampleTolerance = 1e-5f;

QString ffmpegProgram()
{
    const QString chosen = qEnvironmentVariable("BRINDLEWAVE_FFMPEG");
    return chosen.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("ffmpeg")) : chosen;
}

bool runFfmpeg(const QStringList &args)
{
    QProcess ffmpeg;
    ffmpeg.start(ffmpegProgram(), QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args);
    if (ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit
        && ffmpeg.exitCode() == 0)
        return true;
    qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
    return false;
}

std::vector<float> readFloats(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> samples(static_cast<std::size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

bool isSilentFrame(const std::vector<float> &samples, std::size_t frame)
{
    for (int c = 0; c < Channels; ++c) {
        if (samples[frame * Channels + c] != 0.0f)
            return false;
    }
    return true;
}

// The recording as runs of sound separated by silence: the sounding frames in
// order, and where (in sounding frames) each silent stretch after sound began.
struct Recording {
    std::vector<float> sounding;
    std::vector<std::size_t> gapsAt;
    std::vector<std::size_t> gapFrames;
    std::size_t leadingSilence = 0;
};

Recording splitRecording(const std::vector<float> &samples)
{
    Recording r;
    const std::size_t frames = samples.size() / Channels;
    std::size_t f = 0;
    while (f < frames && isSilentFrame(samples, f))
        ++f;
    r.leadingSilence = f;
    while (f < frames) {
        if (!isSilentFrame(samples, f)) {
            r.sounding.insert(r.sounding.end(), samples.begin() + f * Channels,
                              samples.begin() + (f + 1) * Channels);
            ++f;
            continue;
        }
        const std::size_t start = f;
        while (f < frames && isSilentFrame(samples, f))
            ++f;
        if (f < frames) {  // silence at the very end is the device idling after the file
            r.gapsAt.push_back(r.sounding.size() / Channels);
            r.gapFrames.push_back(f - start);
        }
    }
    return r;
}

// The index of the first sample that differs from the reference from firstFrame
// on, or -1 when the sounding part is exactly the reference's tail.
qint64 firstMismatch(const std::vector<float> &sounding, const std::vector<float> &reference,
                     std::size_t firstFrame)
{
    const std::size_t offset = firstFrame * Channels;
    if (reference.size() - offset != sounding.size())
        return static_cast<qint64>(std::min(sounding.size(), reference.size() - offset));
    for (std::size_t i = 0; i < sounding.size(); ++i) {
        if (std::fabs(sounding[i] - reference[offset + i]) > SampleTolerance)
            return static_cast<qint64>(i);
    }
    return -1;
}

bool waitForEnd(StringCommandDevice &device, int timeoutMs)
{
    const QString length = device.send(QStringLiteral("status sound length"));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (device.send(QStringLiteral("status sound position")) == length)
            return true;
        QTest::qWait(10);
    }
    return false;
}

}  // namespace

class TestDeviceDisk : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_wav;
    std::vector<float> m_reference;  // the WAV's samples as float, interleaved

    QString recordingPath(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    bool send(StringCommandDevice &device, const QString &command)
    {
        bool ok = false;
        device.send(command, &ok);
        return ok;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!ffmpegProgram().isEmpty(), "ffmpeg is needed to make the test sound");
        QVERIFY(m_dir.isValid());
        m_wav = m_dir.filePath(QStringLiteral("chirp.wav"));
        const QString expression =
            QStringLiteral("0.5+0.4*sin(2*PI*(300+200*t)*t)|0.5+0.3*sin(2*PI*(700-100*t)*t)");
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i",
                           QStringLiteral("aevalsrc=%1:s=%2:d=%3:c=stereo")
                               .arg(expression)
                               .arg(Rate)
                               .arg(SourceSeconds),
                           "-c:a", "pcm_s16le", m_wav}));
        const QString raw = m_dir.filePath(QStringLiteral("reference.f32"));
        QVERIFY(runFfmpeg({"-i", m_wav, "-f", "f32le", "-c:a", "pcm_f32le", raw}));
        m_reference = readFloats(raw);
        QCOMPARE(m_reference.size(), std::size_t(Rate) * SourceSeconds * Channels);
    }

    void playFromTwoSecondsRecordsTheSourceFromTwoSeconds()
    {
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(recordingPath("from2.raw")));
        StringCommandDevice device;
        QVERIFY(send(device, "open " + m_wav + " alias sound"));
        QCOMPARE(device.driverStats().driver, QStringLiteral("disk"));
        QVERIFY(send(device, QStringLiteral("play sound from 2000")));
        QVERIFY(waitForEnd(device, 6000));
        QVERIFY(send(device, QStringLiteral("close sound")));

        const Recording r = splitRecording(readFloats(recordingPath("from2.raw")));
        QVERIFY2(r.gapsAt.empty(), "the sound was interrupted");
        const qint64 mismatch = firstMismatch(r.sounding, m_reference, 2 * Rate);
        QVERIFY2(mismatch < 0, qPrintable(QStringLiteral("differs from sample %1 of %2")
                                              .arg(mismatch)
                                              .arg(r.sounding.size())));
    }

    // Pausing silences the output and holds the position at what was handed to
    // the driver; resuming and stop-then-play go on from exactly there.
    void pauseAndStopNeitherDropNorRepeatSamples()
    {
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(recordingPath("paused.raw")));
        StringCommandDevice device;
        QVERIFY(send(device, "open " + m_wav + " alias sound"));
        QVERIFY(send(device, QStringLiteral("play sound from 2000")));
        QTest::qWait(400);
        QVERIFY(send(device, QStringLiteral("pause sound")));
        const qint64 pausedMs = device.send(QStringLiteral("status sound position")).toLongLong();
        QTest::qWait(300);
        QVERIFY(send(device, QStringLiteral("resume sound")));
        QTest::qWait(400);
        QVERIFY(send(device, QStringLiteral("stop sound")));
        const qint64 stoppedMs = device.send(QStringLiteral("status sound position")).toLongLong();
        QTest::qWait(300);
        QVERIFY(send(device, QStringLiteral("play sound")));
        QVERIFY(waitForEnd(device, 6000));
        QVERIFY(send(device, QStringLiteral("close sound")));

        const Recording r = splitRecording(readFloats(recordingPath("paused.raw")));
        const qint64 mismatch = firstMismatch(r.sounding, m_reference, 2 * Rate);
        QVERIFY2(mismatch < 0, qPrintable(QStringLiteral("differs from sample %1 of %2")
                                              .arg(mismatch)
                                              .arg(r.sounding.size())));
        QCOMPARE(r.gapsAt.size(), std::size_t(2));
        for (const std::size_t gap : r.gapFrames)
            QVERIFY2(gap > Rate / 5, qPrintable(QString::number(gap)));
        // The held positions are where the sound broke off, to the millisecond.
        const auto heardMs = [](std::size_t soundingFrames) {
            return qint64((soundingFrames + 2 * Rate) * 1000 / Rate);
        };
        QCOMPARE(pausedMs, heardMs(r.gapsAt[0]));
        QCOMPARE(stoppedMs, heardMs(r.gapsAt[1]));
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
