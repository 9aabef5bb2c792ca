// The gain envelope of the selection's fades, by file frame, and the device
// command that sets it, taken apart. The curve is the one a saved ringtone
// gets: gain (frame - start) / in over the fade in, (end - frame) / out over
// the fade out, their product where they overlap, and exactly 1 elsewhere.

#include "playback/FadeEnvelope.h"
#include "playback/StringCommandParser.h"

#include <QTest>

#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

using string_device::applyFade;
using string_device::FadeEnvelope;
using string_device::fadeEnvelopeFromMs;
using string_device::fadeGain;

namespace string_device {
// For QCOMPARE's messages.
char *toString(const FadeEnvelope &e)
{
    return QTest::toString(QStringLiteral("{start %1, end %2, in %3, out %4}")
                               .arg(e.startFrame).arg(e.endFrame).arg(e.inFrames).arg(e.outFrames));
}
}  // namespace string_device

namespace {

// Exact binary fractions where the test can have them, so that equality is exact.
#define GAIN_IS(envelope, frame, expected)                                                    \
    do {                                                                                     \
        const double gain_ = fadeGain(envelope, frame);                                      \
        QVERIFY2(gain_ == (expected), qPrintable(QStringLiteral("frame %1: gain %2, expected %3") \
                                                     .arg(frame).arg(gain_, 0, 'g', 17)         \
                                                     .arg(double(expected), 0, 'g', 17)));      \
    } while (false)

}  // namespace

class TestFadeEnvelope : public QObject {
    Q_OBJECT

private slots:
    // No fades: every frame, inside the stretch or not, keeps exactly its level.
    void withoutFadesEveryGainIsExactlyOne()
    {
        for (const FadeEnvelope envelope :
             {FadeEnvelope{1000, 2000, 0, 0}, FadeEnvelope{}, FadeEnvelope{2000, 2000, 50, 50},
              FadeEnvelope{2000, 1000, 50, 50}}) {
            QVERIFY(envelope.isFlat());
            for (const std::int64_t frame : {0, 999, 1000, 1001, 1500, 1999, 2000, 2001})
                GAIN_IS(envelope, frame, 1.0);
        }
        QVERIFY(!FadeEnvelope({1000, 2000, 1, 0}).isFlat());
        QVERIFY(!FadeEnvelope({1000, 2000, 0, 1}).isFlat());
    }

    // The fade in starts silent on the stretch's first frame and rises by
    // 1/in a frame; the frame before the stretch is untouched.
    void fadeInRisesFromTheStretchStart()
    {
        const FadeEnvelope envelope{1000, 3000, 256, 0};
        GAIN_IS(envelope, 0, 1.0);
        GAIN_IS(envelope, 999, 1.0);
        GAIN_IS(envelope, 1000, 0.0);
        GAIN_IS(envelope, 1001, 1.0 / 256);
        GAIN_IS(envelope, 1064, 0.25);
        GAIN_IS(envelope, 1128, 0.5);
        GAIN_IS(envelope, 1255, 255.0 / 256);
        GAIN_IS(envelope, 1256, 1.0);
        GAIN_IS(envelope, 2999, 1.0);
        GAIN_IS(envelope, 3000, 1.0);
    }

    // The fade out is 1 where it begins, falls by 1/out a frame and is silent
    // from the frame after the stretch on, until playback stops; without a
    // fade out the frames after the stretch are untouched.
    void fadeOutFallsToTheStretchEnd()
    {
        const FadeEnvelope envelope{1000, 3000, 0, 128};
        GAIN_IS(envelope, 1000, 1.0);
        GAIN_IS(envelope, 2871, 1.0);
        GAIN_IS(envelope, 2872, 1.0);
        GAIN_IS(envelope, 2873, 127.0 / 128);
        GAIN_IS(envelope, 2936, 0.5);
        GAIN_IS(envelope, 2968, 0.25);
        GAIN_IS(envelope, 2999, 1.0 / 128);
        // faded out: silent past the stretch until playback stops
        GAIN_IS(envelope, 3000, 0.0);
        GAIN_IS(envelope, 3001, 0.0);
        GAIN_IS(envelope, 100000, 0.0);
        GAIN_IS(envelope, 999, 1.0);
        // Falling all the way: each frame quieter than the one before.
        for (std::int64_t frame = 2873; frame < 3000; ++frame)
            QVERIFY(fadeGain(envelope, frame) < fadeGain(envelope, frame - 1));
    }

    // Fades longer together than the stretch multiply where they overlap: one
    // fade applied after the other.
    void overlappingFadesMultiply()
    {
        const FadeEnvelope both{0, 64, 64, 64};
        GAIN_IS(both, 0, 0.0);
        GAIN_IS(both, 16, 0.25 * 0.75);
        GAIN_IS(both, 32, 0.25);
        GAIN_IS(both, 48, 0.75 * 0.25);
        GAIN_IS(both, 63, (63.0 / 64) * (1.0 / 64));
        GAIN_IS(both, 64, 0.0);
        GAIN_IS(both, -1, 1.0);

        // A fade in longer than the stretch never reaches full level in it.
        const FadeEnvelope longIn{100, 164, 256, 0};
        GAIN_IS(longIn, 163, 63.0 / 256);
        GAIN_IS(longIn, 164, 1.0);
        // Half-way overlap: in over the first 48 frames, out over the last 32.
        const FadeEnvelope partly{0, 64, 48, 32};
        GAIN_IS(partly, 24, 0.5);                        // fade in alone
        GAIN_IS(partly, 40, (40.0 / 48) * (24.0 / 32));  // both
        GAIN_IS(partly, 56, 0.25);                       // fade out alone
    }

    // Samples are scaled by the gain of their file frame, on every channel;
    // frames of gain 1 are left bit for bit; and cutting the same frames into
    // blocks of any size at any file position gives the same result, as the
    // audio callback's blocks fall wherever playback started.
    void applyScalesByFilePositionWhateverTheBlocks()
    {
        const int channels = 2;
        const FadeEnvelope envelope{1000, 1400, 128, 64};
        const std::int64_t first = 900;  // from before the stretch to after it
        const std::size_t count = 600;
        std::vector<float> source(count * channels);
        for (std::size_t i = 0; i < source.size(); ++i)
            source[i] = (i % 2 == 0 ? 0.5f : -0.25f) + float(i % 7) * 1e-3f;

        std::vector<float> whole = source;
        applyFade(envelope, first, whole.data(), count, channels);
        for (std::size_t f = 0; f < count; ++f) {
            const std::int64_t frame = first + std::int64_t(f);
            for (int c = 0; c < channels; ++c) {
                const std::size_t i = f * channels + std::size_t(c);
                const float expected = frame < 1000    ? source[i]
                                        : frame >= 1400 ? 0.0f  // faded out
                                                        : float(double(source[i]) * fadeGain(envelope, frame));
                QVERIFY2(std::memcmp(&whole[i], &expected, sizeof(float)) == 0,
                         qPrintable(QStringLiteral("frame %1 channel %2: %3, expected %4")
                                        .arg(frame).arg(c).arg(whole[i]).arg(expected)));
            }
        }
        // Spot values: silent at the start, a quarter of the way up, level in
        // the middle, half-way down, and silent just after the stretch.
        QCOMPARE(whole[(1000 - first) * channels], 0.0f);
        QCOMPARE(whole[(1032 - first) * channels], source[(1032 - first) * channels] * 0.25f);
        QCOMPARE(whole[(1200 - first) * channels + 1], source[(1200 - first) * channels + 1]);
        QCOMPARE(whole[(1368 - first) * channels], source[(1368 - first) * channels] * 0.5f);
        QCOMPARE(whole[(1400 - first) * channels], 0.0f);
        // with a fade in only, the frames after the stretch keep their level
        std::vector<float> fadeInOnly = source;
        applyFade(FadeEnvelope{1000, 1400, 128, 0}, first, fadeInOnly.data(), count, channels);
        QCOMPARE(fadeInOnly[(1400 - first) * channels], source[(1400 - first) * channels]);

        std::vector<float> pieces = source;
        std::size_t done = 0;
        for (std::size_t size = 1; done < count; size = size * 3 + 1) {
            const std::size_t n = std::min(size, count - done);
            applyFade(envelope, first + std::int64_t(done), pieces.data() + done * channels, n,
                      channels);
            done += n;
        }
        QVERIFY(std::memcmp(pieces.data(), whole.data(), whole.size() * sizeof(float)) == 0);

        std::vector<float> flat = source;
        applyFade(FadeEnvelope{1000, 1400, 0, 0}, first, flat.data(), count, channels);
        QVERIFY(std::memcmp(flat.data(), source.data(), source.size() * sizeof(float)) == 0);
    }

    // Positions become frames as "play sound from" makes its start frame (the
    // first frame at or after the millisecond), so play-selection starts on
    // the silent first frame of the fade in; lengths go to the nearest frame.
    void millisecondsBecomeFrames()
    {
        QCOMPARE(fadeEnvelopeFromMs(41500, 300, 43500, 700, 48000),
                 (FadeEnvelope{1992000, 2088000, 14400, 33600}));
        // 44.1 frames a millisecond: 1 ms -> start 45 (up), length 44 (nearest);
        // 5 ms is 220.5 frames -> 221; 3 ms is 132.3 frames -> 133 up, 132 nearest.
        QCOMPARE(fadeEnvelopeFromMs(1, 1, 3, 3, 44100), (FadeEnvelope{45, 133, 44, 132}));
        QCOMPARE(fadeEnvelopeFromMs(0, 5, 10, 0, 44100), (FadeEnvelope{0, 441, 221, 0}));

        // Values no file reaches saturate instead of wrapping round.
        const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
        const FadeEnvelope far = fadeEnvelopeFromMs(0, huge, huge, 0, 768000);
        QCOMPARE(far.endFrame, huge);
        QCOMPARE(far.inFrames, huge);
        QVERIFY(fadeGain(far, 768000) > 0.0 && fadeGain(far, 768000) < 1e-6);
    }

    void parsesTheFadeCommands()
    {
        using string_device::parseStringCommand;
        using Kind = string_device::StringCommand::Kind;
        const auto fade = parseStringCommand(QStringLiteral("setaudio sound fade 41500 300 43500 700"));
        QVERIFY(fade);
        QCOMPARE(fade->kind, Kind::Fade);
        QCOMPARE(fade->alias, QStringLiteral("sound"));
        QCOMPARE(fade->fade.startMs, std::int64_t(41500));
        QCOMPARE(fade->fade.inMs, std::int64_t(300));
        QCOMPARE(fade->fade.endMs, std::int64_t(43500));
        QCOMPARE(fade->fade.outMs, std::int64_t(700));

        const auto off = parseStringCommand(QStringLiteral("setaudio chime fade off"));
        QVERIFY(off);
        QCOMPARE(off->kind, Kind::FadeOff);
        QCOMPARE(off->alias, QStringLiteral("chime"));

        // Negative values are the device's to refuse; the text itself is sound.
        const auto negative = parseStringCommand(QStringLiteral("setaudio sound fade -1 0 5 0"));
        QVERIFY(negative && negative->fade.startMs == -1);

        for (const char *text :
             {"setaudio sound fade", "setaudio sound fade ", "setaudio sound fade on",
              "setaudio sound fade off ", "setaudio sound fade 1 2 3", "setaudio sound fade 1 2 3 4 5",
              "setaudio sound fade 1  2 3 4", "setaudio sound fade 1 2 3 4 ", "setaudio sound fade 1 2 3 x",
              "setaudio sound fade 1.5 2 3 4", "setaudio music fade off", "setaudio sound off",
              "SETAUDIO SOUND FADE OFF"})
            QVERIFY2(!parseStringCommand(QString::fromLatin1(text)), text);
    }
};

QTEST_APPLESS_MAIN(TestFadeEnvelope)
#include "test_fade_envelope.moc"
