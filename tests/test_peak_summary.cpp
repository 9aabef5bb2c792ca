// The min/max summary of a file: every answer checked against brute force over
// the samples, for generated signals fed whole or in odd chunks and for real
// WAV files read through summariseWav.
#include "pipeline/LivePeaks.h"
#include "playback/PeakSummary.h"
#include "playback/WavSource.h"
#include "support/Media.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr std::int64_t B = PeakSummary::BaseBlockFrames;
constexpr float Step = PeakSummary::Step;

// Interleaved float frames.
struct Signal {
    int channels = 1;
    int sampleRate = 44100;
    std::vector<float> samples;

    std::int64_t frames() const { return std::int64_t(samples.size()) / channels; }
    float &at(std::int64_t frame, int channel) { return samples[std::size_t(frame * channels + channel)]; }
    float at(std::int64_t frame, int channel) const { return samples[std::size_t(frame * channels + channel)]; }
};

Signal silence(int channels, std::int64_t frames)
{
    Signal s;
    s.channels = channels;
    s.samples.assign(std::size_t(frames * channels), 0.0f);
    return s;
}

// A value as a 16-bit file holds it, so that the summary must give it back exactly
// (full scale +1 excepted: it is kept as 32767 / 32768).
float as16Bit(double v)
{
    return float(std::clamp(std::round(v * 32768.0), -32768.0, 32768.0) / 32768.0);
}

// Noise whose loudness jumps at random moments, with lone spikes: neighbouring
// blocks at every level have different extremes, and each channel its own.
Signal varyingNoise(int channels, std::int64_t frames, unsigned seed)
{
    Signal s = silence(channels, frames);
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<std::int64_t> stretch(1, 6000);
    for (int c = 0; c < channels; ++c) {
        double amplitude = 0.5;
        std::int64_t change = 0;
        for (std::int64_t f = 0; f < frames; ++f) {
            if (f == change) {
                amplitude = std::abs(unit(random)) * 0.6;
                change = f + stretch(random);
            }
            s.at(f, c) = as16Bit(amplitude * unit(random));
        }
        std::uniform_int_distribution<std::int64_t> where(0, frames - 1);
        for (int spike = 0; spike < 40; ++spike)
            s.at(where(random), c) = as16Bit(unit(random));
    }
    return s;
}

Signal squareWave(std::int64_t frames, std::int64_t halfPeriod)
{
    Signal s = silence(2, frames);
    for (std::int64_t f = 0; f < frames; ++f) {
        const float v = (f / halfPeriod) % 2 == 0 ? 1.0f : -1.0f;
        s.at(f, 0) = v;
        s.at(f, 1) = -v;
    }
    return s;
}

PeakSummary summarise(const Signal &s)
{
    PeakSummary summary(s.channels, s.sampleRate);
    summary.append(s.samples.data(), s.frames());
    summary.finish();
    return summary;
}

// Brute force: the extremes of the frames of every base block that [from, to)
// touches, within the file; (0, 0) when no frame of the file is in [from, to).
// Each block's extremes are found once, straight from its samples, so that long
// ranges stay cheap to check.
class BruteForce {
public:
    explicit BruteForce(const Signal &s) : m_signal(s), m_blocks((s.frames() + B - 1) / B)
    {
        for (int c = 0; c < s.channels; ++c) {
            for (std::int64_t b = 0; b < m_blocks; ++b) {
                float lo = s.at(b * B, c), hi = lo;
                for (std::int64_t f = b * B; f < std::min(s.frames(), (b + 1) * B); ++f) {
                    lo = std::min(lo, s.at(f, c));
                    hi = std::max(hi, s.at(f, c));
                }
                m_extremes.push_back({lo, hi});
            }
        }
    }

    MinMax range(int channel, std::int64_t from, std::int64_t to) const
    {
        from = std::max<std::int64_t>(from, 0);
        to = std::min(to, m_signal.frames());
        if (from >= to)
            return {};
        MinMax out = block(channel, from / B);
        for (std::int64_t b = from / B + 1; b < (to + B - 1) / B; ++b) {
            out.min = std::min(out.min, block(channel, b).min);
            out.max = std::max(out.max, block(channel, b).max);
        }
        return out;
    }

private:
    const MinMax &block(int channel, std::int64_t b) const { return m_extremes[std::size_t(channel * m_blocks + b)]; }

    const Signal &m_signal;
    std::int64_t m_blocks;
    std::vector<MinMax> m_extremes;
};

// The stored pair encloses the true one and is at most one quantisation step
// wider (full scale +1 is stored one step below).
bool matches(const MinMax &got, const MinMax &want)
{
    const auto close = [](float a, float b) { return std::abs(a - b) <= Step * 1.0001f; };
    const bool enclosesMin = got.min <= want.min || want.min > 1.0f - Step;
    const bool enclosesMax = got.max >= want.max || want.max > 1.0f - Step;
    return close(got.min, want.min) && close(got.max, want.max) && enclosesMin && enclosesMax;
}

QString describe(const MinMax &m)
{
    return QStringLiteral("(%1, %2)").arg(double(m.min), 0, 'g', 9).arg(double(m.max), 0, 'g', 9);
}

struct Range {
    std::int64_t from, to;
};

// Ranges around block edges of every level, whole blocks of every level, the
// file's ends, out-of-file and empty ranges, and random ones.
std::vector<Range> probeRanges(std::int64_t frames, unsigned seed)
{
    std::vector<Range> ranges{{0, frames},       {0, 1},          {frames - 1, frames}, {-500, 10},
                              {frames - 3, frames + 900}, {frames, frames + 10}, {frames + 5, frames + 9},
                              {-20, -1},         {100, 100},      {300, 299}};
    std::mt19937 random(seed);
    std::int64_t blockFrames = B;
    for (int level = 0; level <= PeakSummary::CoarseLevels; ++level, blockFrames *= PeakSummary::LevelFactor) {
        const std::int64_t blocks = (frames + blockFrames - 1) / blockFrames;
        std::uniform_int_distribution<std::int64_t> block(0, std::max<std::int64_t>(0, blocks - 1));
        std::vector<std::int64_t> edges{0, (blocks - 1) * blockFrames, blocks * blockFrames};
        for (int i = 0; i < 6; ++i)
            edges.push_back(block(random) * blockFrames);
        for (std::int64_t edge : edges) {
            ranges.push_back({edge, edge + blockFrames});  // one whole block of this level
            for (std::int64_t before : {std::int64_t(0), std::int64_t(1), B - 1, B, B + 1, 3 * blockFrames / 2})
                for (std::int64_t after : {std::int64_t(1), B, 2 * B + 1, 2 * blockFrames + B})
                    ranges.push_back({edge - before, edge + after});
        }
    }
    std::uniform_int_distribution<std::int64_t> anywhere(0, frames);
    for (int i = 0; i < 150; ++i) {
        const std::int64_t a = anywhere(random);
        const std::int64_t length = std::int64_t(std::exp2(std::uniform_real_distribution<double>(0, 23)(random)));
        ranges.push_back({a, a + length});
    }
    return ranges;
}

// Every range checked; the first few mismatches reported.
void checkRanges(const PeakSummary &summary, const Signal &s, const std::vector<Range> &ranges)
{
    const BruteForce brute(s);
    QStringList mismatches;
    for (int c = 0; c < s.channels; ++c) {
        for (const Range &r : ranges) {
            const MinMax got = summary.range(c, r.from, r.to);
            const MinMax want = brute.range(c, r.from, r.to);
            if (!matches(got, want) && mismatches.size() < 8)
                mismatches << QStringLiteral("channel %1 [%2, %3): got %4, want %5")
                                  .arg(c).arg(r.from).arg(r.to).arg(describe(got), describe(want));
        }
    }
    QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"; ")));
}

// What every stored block of every level says, through range() over exactly
// that block (which the summary answers from that block alone).
std::vector<float> everyBlock(const PeakSummary &summary)
{
    std::vector<float> out;
    std::int64_t blockFrames = B;
    for (int level = 0; level <= PeakSummary::CoarseLevels; ++level, blockFrames *= PeakSummary::LevelFactor) {
        for (std::int64_t from = 0; from < summary.frames(); from += blockFrames) {
            for (int c = 0; c < summary.channels(); ++c) {
                const MinMax m = summary.range(c, from, from + blockFrames);
                out.push_back(m.min);
                out.push_back(m.max);
            }
        }
    }
    return out;
}

using SignalMaker = std::function<Signal()>;

bool writeWav(const QString &path, const Signal &s, int format)
{
    SF_INFO info{};
    info.samplerate = s.sampleRate;
    info.channels = s.channels;
    info.format = format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    // 16-bit files get the signal's own 16-bit values (libsndfile would scale
    // floats by 32767 on the way in, but reads them back divided by 32768)
    sf_count_t written = 0;
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) {
        std::vector<short> values(s.samples.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = short(std::clamp(std::lround(s.samples[i] * 32768.0), -32768L, 32767L));
        written = sf_writef_short(file, values.data(), s.frames());
    } else {
        written = sf_writef_float(file, s.samples.data(), s.frames());
    }
    sf_close(file);
    return written == s.frames();
}

Signal readAll(const QString &path)
{
    string_device::WavSource source;
    Signal s;
    if (!source.open(path))
        return s;
    s.channels = source.channels();
    s.sampleRate = source.sampleRate();
    s.samples.resize(std::size_t(source.frames() * source.channels()));
    s.samples.resize(std::size_t(source.read(s.samples.data(), source.frames()) * s.channels));
    return s;
}

}  // namespace

Q_DECLARE_METATYPE(SignalMaker)

class TestPeakSummary : public QObject {
    Q_OBJECT

private slots:
    void rangesMatchBruteForce_data()
    {
        QTest::addColumn<SignalMaker>("make");
        // click positions: inside a block, on the first frame of a block with a
        // negative click on the last frame of the block before, and the same
        // around the edges of the coarser levels
        const auto clicks = [](std::int64_t frames, std::vector<std::pair<std::int64_t, float>> at) {
            return [=] {
                Signal s = silence(1, frames);
                for (const auto &[frame, value] : at)
                    s.at(frame, 0) = value;
                return s;
            };
        };
        QTest::newRow("silence, stereo") << SignalMaker([] { return silence(2, 100000); });
        QTest::newRow("click mid-block") << SignalMaker(clicks(40 * B + 77, {{17 * B + 128, 1.0f}}));
        QTest::newRow("clicks on a block edge")
            << SignalMaker(clicks(40 * B + 77, {{16 * B - 1, -1.0f}, {16 * B, 1.0f}, {23 * B, -0.5f}}));
        QTest::newRow("clicks on coarse edges")
            << SignalMaker(clicks(3 * 131072 + 5 * B + 9,
                                  {{16384 - 1, -0.25f}, {16384, 0.75f}, {131072 - 1, 0.5f}, {131072, -1.0f},
                                   {2 * 131072 + 2048, 0.125f}}));
        QTest::newRow("click in the last partial block") << SignalMaker(clicks(10 * B + 3, {{10 * B + 2, -0.75f}}));
        QTest::newRow("full-scale square, short period") << SignalMaker([] { return squareWave(50000, 300); });
        QTest::newRow("full-scale square, long period") << SignalMaker([] { return squareWave(300000, 3000); });
        QTest::newRow("left silent, right a tone") << SignalMaker([] {
            Signal s = silence(2, 200000);
            for (std::int64_t f = 0; f < s.frames(); ++f)
                s.at(f, 1) = as16Bit(0.8 * std::sin(2 * M_PI * 440 * double(f) / 44100) * (double(f) / 200000));
            return s;
        });
        QTest::newRow("varying noise, stereo") << SignalMaker([] { return varyingNoise(2, 700001, 7); });
        QTest::newRow("varying noise, three channels") << SignalMaker([] { return varyingNoise(3, 300007, 9); });
        // long enough for two blocks of the coarsest level, the last one partial at every level
        QTest::newRow("varying noise, every level")
            << SignalMaker([] { return varyingNoise(1, 8388608 + 2 * 1048576 + 3 * 16384 + 2048 + 300, 11); });
        QTest::newRow("values between 16-bit steps") << SignalMaker([] {
            Signal s = varyingNoise(1, 90000, 3);
            for (float &v : s.samples)
                v = v * 0.999f + 1e-6f;
            return s;
        });
    }

    void rangesMatchBruteForce()
    {
        QFETCH(SignalMaker, make);
        const Signal s = make();
        const PeakSummary summary = summarise(s);
        QCOMPARE(summary.frames(), s.frames());
        QCOMPARE(summary.channels(), s.channels);
        checkRanges(summary, s, probeRanges(s.frames(), 99));
    }

    void columnsMatchBruteForce_data()
    {
        QTest::addColumn<double>("firstFrame");
        QTest::addColumn<double>("framesPerColumn");
        QTest::addColumn<int>("count");
        const double frames = 400000;
        QTest::newRow("whole file in 728 columns") << 0.0 << frames / 728 << 728;
        QTest::newRow("half a frame per column") << 130000.25 << 0.5 << 700;
        QTest::newRow("three frames per column") << 99.5 << 3.0 << 746;
        QTest::newRow("a block per column") << 256.0 * 7 << 256.0 << 746;
        QTest::newRow("odd width, starting before the file") << -5000.5 << 1000.7 << 500;
        QTest::newRow("coarse, running past the end") << 20000.0 << 3001.3 << 746;
        QTest::newRow("wholly after the end") << frames + 10 << 50.0 << 100;
        QTest::newRow("wholly before the start") << -100000.0 << 100.0 << 900;
    }

    void columnsMatchBruteForce()
    {
        QFETCH(double, firstFrame);
        QFETCH(double, framesPerColumn);
        QFETCH(int, count);
        const Signal s = varyingNoise(2, 400000, 5);
        const PeakSummary summary = summarise(s);
        const BruteForce brute(s);
        QStringList mismatches;
        std::vector<MinMax> out(count);
        for (int c = 0; c < 2; ++c) {
            summary.columns(c, firstFrame, framesPerColumn, count, out.data());
            for (int i = 0; i < count; ++i) {
                // column i: frames from floor(first + i * fpc) to floor(first + (i + 1) * fpc),
                // at least the frame it starts in
                const auto from = std::int64_t(std::floor(firstFrame + i * framesPerColumn));
                const auto to = std::max(from + 1, std::int64_t(std::floor(firstFrame + (i + 1) * framesPerColumn)));
                const MinMax want = brute.range(c, from, to);
                if (!matches(out[i], want) && mismatches.size() < 8)
                    mismatches << QStringLiteral("channel %1 column %2: got %3, want %4")
                                      .arg(c).arg(i).arg(describe(out[i]), describe(want));
            }
        }
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"; ")));
    }

    void columnsOutsideTheFileAreFlat()
    {
        Signal s = silence(1, 10 * B);
        std::fill(s.samples.begin(), s.samples.end(), 0.5f);
        const PeakSummary summary = summarise(s);
        std::vector<MinMax> out(40);
        // 20 columns before the file, 10 in it, 10 after it
        summary.columns(0, -20.0 * B, B, 40, out.data());
        for (int i = 0; i < 40; ++i) {
            const bool inside = i >= 20 && i < 30;
            QCOMPARE(out[i].min, inside ? 0.5f : 0.0f);
            QCOMPARE(out[i].max, inside ? 0.5f : 0.0f);
        }
    }

    void chunkSizeDoesNotMatter_data()
    {
        QTest::addColumn<QList<int>>("chunks");
        QTest::newRow("1 frame") << QList<int>{1};
        QTest::newRow("255 frames") << QList<int>{255};
        QTest::newRow("257 frames") << QList<int>{257};
        QTest::newRow("4096 frames") << QList<int>{4096};
        QTest::newRow("mixed 1, 255, 257, 4096, 3") << QList<int>{1, 255, 257, 4096, 3};
        QTest::newRow("larger than the file") << QList<int>{1 << 20};
    }

    void chunkSizeDoesNotMatter()
    {
        QFETCH(QList<int>, chunks);
        // three blocks of the 131072-frame level, the last one partial
        const Signal s = varyingNoise(2, 2 * 131072 + 5 * 2048 + 3 * B + 101, 13);
        const PeakSummary whole = summarise(s);
        PeakSummary fed(2, 44100);
        std::int64_t at = 0;
        for (int i = 0; at < s.frames(); ++i) {
            const std::int64_t n = std::min<std::int64_t>(chunks[i % chunks.size()], s.frames() - at);
            fed.append(s.samples.data() + at * 2, n);
            at += n;
        }
        fed.finish();
        QCOMPARE(fed.frames(), whole.frames());
        QCOMPARE(everyBlock(fed), everyBlock(whole));
    }

    void lastPartialBlockCounts()
    {
        // the only sound is in the last three frames, after 10 whole blocks
        Signal s = silence(2, 10 * B + 3);
        s.at(10 * B + 1, 0) = -0.75f;
        s.at(10 * B + 2, 1) = 0.5f;
        const PeakSummary summary = summarise(s);
        QCOMPARE(summary.range(0, 0, s.frames()).min, -0.75f);
        QCOMPARE(summary.range(1, 0, s.frames()).max, 0.5f);
        QCOMPARE(summary.range(0, 10 * B, 10 * B + 1).min, -0.75f);  // the block the frame is in
        std::vector<MinMax> out(1);
        summary.columns(1, 0, double(s.frames()), 1, out.data());
        QCOMPARE(out[0].max, 0.5f);
        summary.columns(1, 10 * B + 2, 0.25, 1, out.data());
        QCOMPARE(out[0].max, 0.5f);
    }

    void nanSamplesAreLeftOut()
    {
        // a float file may hold NaNs: a block keeps the extremes of its other
        // samples, and a block of nothing but NaNs reads as silence
        Signal s = silence(2, 3 * B);
        for (std::int64_t f = 0; f < 3 * B; ++f) {
            s.at(f, 0) = f < B ? std::nanf("") : f % 2 ? 0.25f : std::nanf("");
            s.at(f, 1) = f == 5 ? std::nanf("") : -0.5f;
        }
        s.at(2 * B + 7, 0) = -0.125f;
        const PeakSummary summary = summarise(s);
        const auto pair = [](const MinMax &m) { return std::pair(m.min, m.max); };
        QCOMPARE(pair(summary.range(0, 0, B)), std::pair(0.0f, 0.0f));
        QCOMPARE(pair(summary.range(0, B, 2 * B)), std::pair(0.25f, 0.25f));
        QCOMPARE(pair(summary.range(0, 0, 3 * B)), std::pair(-0.125f, 0.25f));
        QCOMPARE(pair(summary.range(1, 0, B)), std::pair(-0.5f, -0.5f));
    }

    void channelsAndRateAreKept()
    {
        const PeakSummary summary(6, 22050);
        QCOMPARE(summary.channels(), 6);
        QCOMPARE(summary.sampleRate(), 22050);
        QCOMPARE(summary.frames(), std::int64_t(0));
        QCOMPARE(summary.range(0, 0, 100).max, 0.0f);
    }

    void anHourFitsTheBudget()
    {
        // one hour of 44.1 kHz stereo, fed a second at a time
        constexpr std::int64_t Second = 44100, Hour = 3600 * Second;
        const Signal second = silence(2, Second);
        PeakSummary summary(2, 44100);
        summary.reserve(Hour);
        for (int i = 0; i < 3600; ++i)
            summary.append(second.samples.data(), Second);
        summary.finish();
        QCOMPARE(summary.frames(), Hour);
        // what the levels must hold: one int16 pair per block per channel
        std::size_t stored = 0;
        std::int64_t blockFrames = B;
        for (int level = 0; level <= PeakSummary::CoarseLevels; ++level, blockFrames *= PeakSummary::LevelFactor)
            stored += std::size_t((Hour + blockFrames - 1) / blockFrames) * 2 * 4;
        QVERIFY2(summary.bytes() >= stored, qPrintable(QString::number(summary.bytes())));
        QVERIFY2(summary.bytes() <= stored + 4096, qPrintable(QString::number(summary.bytes())));
        QVERIFY2(summary.bytes() < 16u * 1024 * 1024, qPrintable(QString::number(summary.bytes())));
        QCOMPARE(summary.range(1, 0, Hour).max, 0.0f);
    }

    void summarisesAWrittenWavExactly_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("16-bit PCM") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        QTest::newRow("16-bit PCM in RF64") << (SF_FORMAT_RF64 | SF_FORMAT_PCM_16);
        QTest::newRow("32-bit float") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    }

    void summarisesAWrittenWavExactly()
    {
        QFETCH(int, format);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        // left silent with one click, right a tone that grows
        Signal s = silence(2, 300000);
        s.sampleRate = 48000;
        for (std::int64_t f = 0; f < s.frames(); ++f)
            s.at(f, 1) = as16Bit(0.9 * std::sin(2 * M_PI * 330 * double(f) / 48000) * (double(f) / 300000));
        s.at(150000, 0) = as16Bit(-0.6);
        const QString path = folder.filePath(QStringLiteral("written.wav"));
        QVERIFY(writeWav(path, s, format));
        const std::optional<PeakSummary> summary = summariseWav(path);
        QVERIFY(summary.has_value());
        QCOMPARE(summary->channels(), 2);
        QCOMPARE(summary->sampleRate(), 48000);
        QCOMPARE(summary->frames(), s.frames());
        QCOMPARE(everyBlock(*summary), everyBlock(summarise(s)));
        checkRanges(*summary, s, probeRanges(s.frames(), 5));
    }

    void summarisesWavsMadeByFfmpeg_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("16-bit stereo") << QStringLiteral("pcm_s16le") << 2 << QStringList{};
        QTest::newRow("24-bit mono") << QStringLiteral("pcm_s24le") << 1 << QStringList{};
        QTest::newRow("8-bit stereo") << QStringLiteral("pcm_u8") << 2 << QStringList{};
        QTest::newRow("float stereo") << QStringLiteral("pcm_f32le") << 2 << QStringList{};
        QTest::newRow("RF64 32-bit stereo") << QStringLiteral("pcm_s32le") << 2
                                            << QStringList{QStringLiteral("-rf64"), QStringLiteral("always")};
    }

    void summarisesWavsMadeByFfmpeg()
    {
        QFETCH(QString, codec);
        QFETCH(int, channels);
        QFETCH(QStringList, extra);
        QString why;
        QVERIFY2(media::toolsAvailable(&why), qPrintable(why));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("tone.wav"));
        QVERIFY(media::makePcmWav(path, 3.3, 44100, channels, codec, extra));
        const Signal s = readAll(path);
        QCOMPARE(s.frames(), std::int64_t(3.3 * 44100));
        const std::optional<PeakSummary> summary = summariseWav(path);
        QVERIFY(summary.has_value());
        QCOMPARE(summary->channels(), channels);
        QCOMPARE(summary->sampleRate(), 44100);
        QCOMPARE(summary->frames(), s.frames());
        checkRanges(*summary, s, probeRanges(s.frames(), 17));
    }

    // The peaks of the working WAV followed while the decode writes it are
    // those of the finished file; what cannot be followed gives nothing, and
    // the file is then read whole.
    void followsAFileAsItIsWritten_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<std::int64_t>("framesTold");  // beyond those written: -1 none
        QTest::addColumn<bool>("followed");
        QTest::newRow("16-bit stereo") << QStringLiteral("pcm_s16le") << QStringList{} << std::int64_t(0) << true;
        QTest::newRow("16-bit, room for RF64") << QStringLiteral("pcm_s16le")
                                               << QStringList{QStringLiteral("-rf64"), QStringLiteral("auto")}
                                               << std::int64_t(0) << true;
        QTest::newRow("one frame more told than written")
            << QStringLiteral("pcm_s16le") << QStringList{} << std::int64_t(1) << false;
        QTest::newRow("24-bit") << QStringLiteral("pcm_s24le") << QStringList{} << std::int64_t(0) << false;
    }
    void followsAFileAsItIsWritten()
    {
        QFETCH(QString, codec);
        QFETCH(QStringList, extra);
        QFETCH(std::int64_t, framesTold);
        QFETCH(bool, followed);
        QTemporaryDir folder;
        const QString whole = folder.filePath(QStringLiteral("whole.wav"));
        QVERIFY(media::makePcmWav(whole, 3.3, 44100, 2, codec, extra));
        QFile source(whole);
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();

        // Written as the decode writes it: the header first, with the sizes
        // not yet known, then the samples in pieces that split frames, then
        // the sizes.
        const QString growing = folder.filePath(QStringLiteral("open.wav"));
        LivePeaks live;
        live.start(growing);
        QFile out(growing);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QByteArray header = bytes.left(44);
        header.replace(4, 4, QByteArray(4, '\xff'));
        out.write(header);
        for (qsizetype at = header.size(); at < bytes.size(); at += 7777) {
            out.write(bytes.mid(at, 7777));
            out.flush();
        }
        out.seek(0);
        out.write(bytes.left(44));
        out.close();

        const std::optional<PeakSummary> read = summariseWav(whole);
        QVERIFY(read.has_value());
        QFuture<std::shared_ptr<const PeakSummary>> result = live.finish(read->frames() + framesTold);
        result.waitForFinished();
        const std::shared_ptr<const PeakSummary> summary = result.result();
        QCOMPARE(bool(summary), followed);
        if (followed) {
            QCOMPARE(summary->frames(), read->frames());
            QCOMPARE(everyBlock(*summary), everyBlock(*read));
        }
    }

    void refusesWhatIsNotAudio()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QVERIFY(!summariseWav(folder.filePath(QStringLiteral("missing.wav"))).has_value());
        const QString text = folder.filePath(QStringLiteral("text.wav"));
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
        file.close();
        QVERIFY(!summariseWav(text).has_value());
    }
};

QTEST_GUILESS_MAIN(TestPeakSummary)
#include "test_peak_summary.moc"
