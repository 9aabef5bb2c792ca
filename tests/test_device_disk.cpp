// The real playback device on SDL's "disk" driver, which writes every sample it
// is handed to a raw file in real time: the recording is what the listener
// would have heard. The source is a rising tone over a constant offset, so no
// sample of it is zero and silence in the recording is always the device.
//
// The fades are heard on a level source (every sample the same on each
// channel): what the driver was handed is then the source times the gain of
// each frame, and any frame out of place shows.
//
// Every step waits for something the device or the driver has done (frames
// handed over, silence written), never for a stretch of time, so the outcome
// does not depend on how busy the machine is; time limits only catch a hang.

#include "pipeline/CommandLines.h"
#include "pipeline/Loudness.h"
#include "playback/PlaybackController.h"
#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandDevice.h"
#include "playback/Timeline.h"

#include "support/Media.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ebur128.h>

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

// The level source: 2.5 s of a constant 0.5 left and 0.25 right, exact in 16 bits.
constexpr float LevelLeft = 0.5f;
constexpr float LevelRight = 0.25f;
constexpr std::int64_t LevelFrames = Rate * 5 / 2;
// The selection 1.0 s to 2.0 s with a 300 ms fade in and a 200 ms fade out,
// in frames (44.1 a millisecond: all whole).
constexpr std::int64_t SelStart = Rate;
constexpr std::int64_t SelEnd = 2 * Rate;
constexpr std::int64_t FadeIn = Rate * 3 / 10;
constexpr std::int64_t FadeOut = Rate * 2 / 10;
const QString SetFades = QStringLiteral("setaudio sound fade 1000 300 2000 200");
constexpr std::int64_t FrameAt500Ms = Rate / 2;

// The gain the saved ringtone has at a frame of the file: rising 0 -> 1 from
// the selection's first frame, falling to 0 at the frame after its last; 1
// outside it.
double cutGain(std::int64_t frame)
{
    if (frame >= SelEnd)
        return 0.0;  // faded out: silent until the stop comes
    if (frame < SelStart)
        return 1.0;
    double gain = 1.0;
    if (frame < SelStart + FadeIn)
        gain = double(frame - SelStart) / double(FadeIn);
    if (frame >= SelEnd - FadeOut)
        gain *= double(SelEnd - frame) / double(FadeOut);
    return gain;
}
double noFade(std::int64_t) { return 1.0; }

// Empty when `frames` (interleaved) are the level source's file frames
// [first, end) times gain(frame), else the first difference. Where the gain
// is 1 the samples must be the source's exactly.
QString levelMismatch(std::vector<float>::const_iterator begin,
                      std::vector<float>::const_iterator end, std::int64_t first,
                      std::int64_t endFrame, const std::function<double(std::int64_t)> &gain)
{
    const std::size_t expectedFrames = std::size_t(endFrame - first);
    const std::size_t count = std::size_t(end - begin);
    if (count != expectedFrames * Channels)
        return QStringLiteral("%1 frames from frame %2, expected %3")
            .arg(count / Channels).arg(first).arg(expectedFrames);
    for (std::size_t i = 0; i < expectedFrames; ++i) {
        const std::int64_t frame = first + std::int64_t(i);
        const double g = gain(frame);
        const float levels[Channels] = {LevelLeft, LevelRight};
        for (int c = 0; c < Channels; ++c) {
            const float got = begin[std::ptrdiff_t(i * Channels) + c];
            const double want = double(levels[c]) * g;
            if (g == 1.0 ? got != levels[c] : std::fabs(got - want) > 1e-6)
                return QStringLiteral("frame %1 channel %2: %3, expected %4")
                    .arg(frame).arg(c).arg(double(got), 0, 'g', 9).arg(want, 0, 'g', 9);
        }
    }
    return {};
}

// The frames [begin, end) of a recording are the level source's file frames
// [first, endFrame) times gain(frame).
#define VERIFY_LEVEL(begin, end, first, endFrame, gain)                             \
    do {                                                                            \
        const QString fault_ = levelMismatch(begin, end, first, endFrame, gain);    \
        QVERIFY2(fault_.isEmpty(), qPrintable(fault_));                             \
    } while (false)

// The recording from its first to its last frame that is not silent.
std::vector<float> trimSilence(const std::vector<float> &samples)
{
    const auto silent = [&](std::size_t f) {
        return samples[f * Channels] == 0.0f && samples[f * Channels + 1] == 0.0f;
    };
    std::size_t begin = 0;
    std::size_t end = samples.size() / Channels;
    while (begin < end && silent(begin))
        ++begin;
    while (end > begin && silent(end - 1))
        --end;
    return {samples.begin() + std::ptrdiff_t(begin * Channels),
            samples.begin() + std::ptrdiff_t(end * Channels)};
}

// Mean level of the left channel over the file frames [from, to) of a
// recording whose first frame is file frame `first`.
double meanLeft(const std::vector<float> &frames, std::int64_t first, std::int64_t from,
                std::int64_t to)
{
    double sum = 0.0;
    for (std::int64_t f = from; f < to; ++f)
        sum += std::fabs(frames[std::size_t(f - first) * Channels]);
    return sum / double(to - from);
}

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

// libebur128's integrated loudness of interleaved frames.
double integratedLufs(std::vector<float>::const_iterator begin, std::size_t frames)
{
    ebur128_state *meter = ebur128_init(Channels, Rate, EBUR128_MODE_I);
    double lufs = NAN;
    if (meter && ebur128_add_frames_float(meter, &*begin, frames) == EBUR128_SUCCESS)
        ebur128_loudness_global(meter, &lufs);
    ebur128_destroy(&meter);
    return lufs;
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
    QString m_level;                 // the level source
    std::vector<float> m_reference;  // the WAV's samples as float, interleaved
    QString m_recording;             // the file the disk driver is writing
    // What the last play() saw: whether the position got to the length, and the
    // frames handed to the driver by then.
    bool m_reachedEnd = false;
    std::int64_t m_handedAtEnd = -1;

    // Opens the WAV (the chirp unless told), runs the steps, lets it play to
    // the end; what was recorded.
    Recording play(const QString &name, const std::function<void(StringCommandDevice &)> &steps,
                   const QString &wav = {})
    {
        m_recording = m_dir.filePath(name);
        m_reachedEnd = false;
        m_handedAtEnd = -1;
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_recording));
        {
            StringCommandDevice device;
            if (!accepts(device, "open " + (wav.isEmpty() ? m_wav : wav) + " alias sound")
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

        m_level = m_dir.filePath(QStringLiteral("level.wav"));
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i",
                                  QStringLiteral("aevalsrc=%1|%2:s=%3:d=2.5:c=stereo")
                                      .arg(LevelLeft).arg(LevelRight).arg(Rate),
                                  "-c:a", "pcm_s16le", m_level}));
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

    // Played from before the selection to the end of the file, the fades are
    // where the saved ringtone has them, frame by frame: the selection's first
    // and last 20 ms far quieter than its middle, its middle and what comes
    // before it exactly the file, and nothing after the fade out.
    void selectionFadesAreHeardWhereTheCutHasThem()
    {
        const Recording r = play(QStringLiteral("faded.raw"), [](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("play sound from 500")));
        }, m_level);
        QVERIFY(m_reachedEnd);
        QCOMPARE(m_handedAtEnd, LevelFrames);
        // From its first sound on, the recording is file frame 0.5 s onwards.
        const std::vector<float> heard = trimSilence(readFloats(m_recording));
        // silent past the selection's end, where the stop comes a little late
        VERIFY_LEVEL(heard.cbegin(), heard.cend(), FrameAt500Ms, SelEnd, cutGain);
        // The silent first frame of the fade in is in it, not a gap.
        QCOMPARE(r.gapsAt, std::vector<std::size_t>{std::size_t(SelStart - FrameAt500Ms)});
        QCOMPARE(r.gapFrames, std::vector<std::size_t>{1});

        const std::int64_t ms20 = Rate / 50;
        const double middle = meanLeft(heard, FrameAt500Ms, SelStart + FadeIn, SelEnd - FadeOut);
        QCOMPARE(middle, double(LevelLeft));
        QVERIFY(meanLeft(heard, FrameAt500Ms, SelStart, SelStart + ms20) < 0.1 * middle);
        QVERIFY(meanLeft(heard, FrameAt500Ms, SelEnd - ms20, SelEnd) < 0.1 * middle);
    }

    // A loop over the selection plays it again and again with no frame lost
    // or added at the seams, each pass faded as the saved ringtone is, and the
    // position goes round with it; a pause holds it where it is.
    void aLoopRepeatsTheSelectionSeamlessly()
    {
        std::int64_t pausedCount = -1;
        qint64 pausedMs = -1;
        const auto fileFrame = [](std::int64_t count) {
            return count < SelEnd ? count : SelStart + (count - SelStart) % (SelEnd - SelStart);
        };
        play(QStringLiteral("looped.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound loop 1000 2000")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 1000")));
            // two and a half passes
            QVERIFY(playUntilHanded(device, SelStart + 5 * Rate / 2));
            QVERIFY(accepts(device, QStringLiteral("pause sound")));
            pausedCount = framesHanded(device);
            pausedMs = positionOf(device);
            QVERIFY(accepts(device, QStringLiteral("setaudio sound loop off")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 3900")));
        });
        QVERIFY(m_reachedEnd);
        QCOMPARE(pausedMs, qint64(fileFrame(pausedCount) * 1000 / Rate));
        // Every frame handed until the pause is the chirp's through the loop,
        // faded; each pass's first frame is the fade in's silent one. What
        // plays after the selection's end is faded out.
        const Recording r = splitRecording(readFloats(m_recording));
        std::size_t i = 0;
        for (std::int64_t count = SelStart; count < pausedCount; ++count) {
            const std::int64_t file = fileFrame(count);
            if (file == SelStart)
                continue;
            QVERIFY(i * Channels < r.sounding.size());
            for (int c = 0; c < Channels; ++c) {
                const float want = float(m_reference[std::size_t(file) * Channels + c] * cutGain(file));
                const float got = r.sounding[i * Channels + c];
                QVERIFY2(std::fabs(got - want) <= SampleTolerance,
                         qPrintable(QStringLiteral("frame %1 (file %2): %3, expected %4").arg(count).arg(file).arg(got).arg(want)));
            }
            ++i;
        }
        QCOMPARE(r.sounding.size(), i * Channels);

        // With a loudness gain and its limiter each pass is shaped from rest,
        // as the saved ringtone is: the second pass is the first, sample for sample.
        play(QStringLiteral("looped-gain.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound gain 9.00 limit -6.00")));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound loop 1000 2000")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 1000")));
            QVERIFY(playUntilHanded(device, SelStart + 5 * Rate / 2));
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound loop off")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 3900")));
        });
        const Recording g = splitRecording(readFloats(m_recording));
        const std::size_t pass = std::size_t(SelEnd - SelStart - 1) * Channels;  // its silent first frame left out
        QVERIFY(g.sounding.size() >= 2 * pass);
        QVERIFY(std::memcmp(g.sounding.data(), g.sounding.data() + pass, pass * sizeof(float)) == 0);
        QVERIFY(*std::max_element(g.sounding.begin(), g.sounding.begin() + std::ptrdiff_t(pass)) <= 0.502f);
    }

    // The fades belong to positions in the file: seeking into the fade in,
    // pausing in the fade out and resuming leave them where they were.
    void fadesStayInPlaceAcrossPauseAndResume()
    {
        std::int64_t pausedFrame = -1;
        const std::int64_t from = Rate * 11 / 10;  // 1.1 s, inside the fade in
        const Recording r = play(QStringLiteral("faded-paused.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("play sound from 1100")));
            QVERIFY(playUntilHanded(device, Rate * 185 / 100));
            QVERIFY(accepts(device, QStringLiteral("pause sound")));
            pausedFrame = framesHanded(device);
            QVERIFY(recordSilence(device, Rate / 4));
            QVERIFY(accepts(device, QStringLiteral("resume sound")));
        }, m_level);
        QVERIFY(m_reachedEnd);
        QCOMPARE(m_handedAtEnd, LevelFrames);
        QCOMPARE(r.gapsAt, std::vector<std::size_t>{std::size_t(pausedFrame - from)});
        VERIFY_LEVEL(r.sounding.cbegin(), r.sounding.cend(), from, SelEnd, cutGain);
    }

    // Fades of length 0 hand over the very samples plain playback does.
    void zeroFadesChangeNoSample()
    {
        const Recording plain = play(QStringLiteral("plain.raw"), [](StringCommandDevice &device) {
            QVERIFY(accepts(device, QStringLiteral("play sound from 2000")));
        });
        const Recording zero = play(QStringLiteral("zero-fades.raw"), [](StringCommandDevice &device) {
            QVERIFY(accepts(device, QStringLiteral("setaudio sound fade 2000 0 3000 0")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 2000")));
        });
        QVERIFY(m_reachedEnd);
        QVERIFY(zero.gapsAt.empty());
        QCOMPARE(mismatchFromTwoSeconds(zero), qint64(-1));
        QCOMPARE(zero.sounding.size(), plain.sounding.size());
        QVERIFY(std::memcmp(zero.sounding.data(), plain.sounding.data(),
                            zero.sounding.size() * sizeof(float)) == 0);
    }

    // "fade off" and "gain off" after a faded selection, and a new open of the
    // file, both play the file as it is.
    void offAndReopeningPlayTheFileUnfaded()
    {
        std::int64_t stoppedFrame = -1;
        const Recording r = play(QStringLiteral("off.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("play sound from 1000")));
            QVERIFY(playUntilHanded(device, SelStart + FadeIn / 2));
            QVERIFY(accepts(device, QStringLiteral("stop sound")));
            stoppedFrame = framesHanded(device);
            QVERIFY(recordSilence(device, Rate / 4));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound fade off")));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound gain -6.00 limit -9.00 ramp 0 50")));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound gain off")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 500")));
        }, m_level);
        QVERIFY(m_reachedEnd);
        QCOMPARE(r.gapsAt.size(), std::size_t(1));
        // Before the stop: the fade in from its first sounding frame on ...
        const std::size_t faded = r.gapsAt[0];
        QCOMPARE(std::int64_t(faded), stoppedFrame - SelStart - 1);
        const auto split = r.sounding.cbegin() + std::ptrdiff_t(faded * Channels);
        VERIFY_LEVEL(r.sounding.cbegin(), split, SelStart + 1, stoppedFrame, cutGain);
        // ... after it, the file from 0.5 s to its end, untouched.
        VERIFY_LEVEL(split, r.sounding.cend(), FrameAt500Ms, LevelFrames, noFade);

        const Recording reopened = play(QStringLiteral("reopened.raw"), [&](StringCommandDevice &device) {
            QVERIFY(accepts(device, SetFades));
            QVERIFY(accepts(device, QStringLiteral("setaudio sound gain -6.00 limit -9.00")));
            QVERIFY(accepts(device, QStringLiteral("close sound")));
            QVERIFY(accepts(device, QStringLiteral("open ") + m_level + QStringLiteral(" alias sound")));
            QVERIFY(accepts(device, QStringLiteral("play sound from 500")));
        }, m_level);
        QVERIFY(m_reachedEnd);
        QVERIFY(reopened.gapsAt.empty());
        VERIFY_LEVEL(reopened.sounding.cbegin(), reopened.sounding.cend(), FrameAt500Ms, LevelFrames,
                     noFade);
    }

    void normalisedPreviewIsAsLoudAsTheSavedRingtone_data()
    {
        QTest::addColumn<QString>("sound");  // aevalsrc's expression for both channels
        QTest::addColumn<CutShaping>("shaping");
        QTest::addColumn<bool>("limit");
        QTest::newRow("quiet: gain up, fades")
            << "0.02*sin(2*PI*330*t)+0.015*(2*random(0)-1)" << CutShaping{300, 700, true} << false;
        // A kick every half second and a snare between: 14 dB of peak over
        // loudness. No fade in: the onset ramp is on.
        QTest::newRow("drums: limited, onset ramp")
            << "0.5*exp(-40*mod(t+0.25\\,0.5))*(2*random(0)-1)+0.8*exp(-18*mod(t\\,0.5))*sin(2*PI*(45*mod(t\\,0.5)"
               "+3*(1-exp(-35*mod(t\\,0.5)))))+0.01*sin(2*PI*110*t)"
            << CutShaping{0, 500, true} << true;
    }

    // Play selection with loudness normalisation is heard as loud as the
    // saved ringtone: libebur128 on what the device handed to the driver and
    // on the cut made with the save's own filter.
    void normalisedPreviewIsAsLoudAsTheSavedRingtone()
    {
        QFETCH(QString, sound);
        QFETCH(CutShaping, shaping);
        QFETCH(bool, limit);
        const QString work = m_dir.filePath(QStringLiteral("normalised.wav"));
        QVERIFY(media::runFfmpeg({"-f", "lavfi", "-i", QStringLiteral("aevalsrc=%1:s=%2:d=5:c=stereo").arg(sound).arg(Rate),
                                  "-c:a", "pcm_s16le", work}));
        const Selection selection{1000, 4000};
        const std::int64_t frames = 3 * Rate;
        const std::optional<LoudnessGain> gain =
            normalizingGainFor(work, selection, shaping.fadeInMs, shaping.fadeOutMs);
        QVERIFY(gain);
        QCOMPARE(gain->limit, limit);
        const QString cut = m_dir.filePath(QStringLiteral("saved.f32"));
        QVERIFY(media::runFfmpeg({"-i", work, "-ss", timeline::secondsText(selection.startMs), "-t",
                                  timeline::secondsText(selection.lengthMs()), "-af",
                                  shapingFilter(selection, shaping, loudnessFilter(*gain)), "-c:a", "pcm_f32le",
                                  "-f", "f32le", cut}));
        const std::vector<float> saved = readFloats(cut);
        QCOMPARE(saved.size(), std::size_t(frames * Channels));

        m_recording = m_dir.filePath(QStringLiteral("preview.raw"));
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_recording));
        {
            EditorModel model;
            model.setMedia(OpenMedia{{}, {}, 5000, nullptr, work, Rate, Channels, {}});
            QVERIFY(model.setMarks(Marks{selection.startMs, selection.endMs}));
            model.setShaping(shaping);
            StringCommandDevice device;
            PlaybackController controller(model, device, work, {}, &previewGainFor);
            controller.playSelection();
            QVERIFY(playUntilHanded(device, Rate * 4));
            controller.stop();
        }
        // The selection's first frame is silent (the fade in or the onset ramp
        // starts from 0): the selection is heard from the frame before the
        // first sound on.
        const std::vector<float> heard = readFloats(m_recording);
        const std::size_t first = std::size_t(std::find_if(heard.cbegin(), heard.cend(), [](float s) { return s != 0; })
                                              - heard.cbegin()) / Channels;
        QVERIFY(first >= 1 && heard.size() >= (first - 1 + std::size_t(frames)) * Channels);
        const double preview = integratedLufs(heard.cbegin() + std::ptrdiff_t((first - 1) * Channels), std::size_t(frames));
        const double ringtone = integratedLufs(saved.cbegin(), std::size_t(frames));
        qInfo("preview %.3f LUFS, saved %.3f LUFS", preview, ringtone);
        QVERIFY2(std::abs(preview - ringtone) <= 0.5, qPrintable(QStringLiteral("preview %1 LUFS, saved %2 LUFS")
                                                                      .arg(preview).arg(ringtone)));
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
