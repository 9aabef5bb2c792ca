// Loudness normalisation: the gain arithmetic and its filter text; the
// in-process measure held against ffmpeg's own R128 meter, frame by frame at the
// selection's edges and through the fades; and the whole cut chain run through
// the real ffmpeg into every lossy and lossless format, its outputs measured
// again with ffmpeg's ebur128 filter.
#include "pipeline/Loudness.h"
#include "playback/Timeline.h"
#include "support/Media.h"

#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sndfile.h>

#include <clocale>
#include <cmath>
#include <vector>

namespace {

constexpr int Rate = 44100;

// What ffmpeg's ebur128 filter says of a whole file (its Summary).
struct R128 {
    bool ok = false;
    double lufs = 0.0;
    double truePeakDbtp = 0.0;
    QString log;
};

R128 ffmpegR128(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-nostats"), QStringLiteral("-hide_banner"),
                  QStringLiteral("-i"), media::asFileUrl(path), QStringLiteral("-af"),
                  QStringLiteral("ebur128=peak=true:framelog=verbose"), QStringLiteral("-f"),
                  QStringLiteral("null"), QStringLiteral("-")});
    R128 result;
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        result.log = QString::fromUtf8(ffmpeg.readAll());
        return result;
    }
    result.log = QString::fromUtf8(ffmpeg.readAll());
    const qsizetype summary = result.log.lastIndexOf(QStringLiteral("Summary:"));
    if (summary < 0)
        return result;
    const QString tail = result.log.mid(summary);
    const QRegularExpressionMatch lufs =
        QRegularExpression(QStringLiteral("\\bI:\\s+(-?[0-9.]+|-inf) LUFS")).match(tail);
    const QRegularExpressionMatch peak =
        QRegularExpression(QStringLiteral("True peak:\\s+Peak:\\s+(-?[0-9.]+|-inf) dBFS")).match(tail);
    if (!lufs.hasMatch() || !peak.hasMatch())
        return result;
    result.lufs = lufs.captured(1) == u"-inf" ? -INFINITY : lufs.captured(1).toDouble();
    result.truePeakDbtp = peak.captured(1) == u"-inf" ? -INFINITY : peak.captured(1).toDouble();
    result.ok = true;
    return result;
}

// A 16-bit WAV holding exactly these interleaved samples.
bool writeWav(const QString &path, int channels, const std::vector<float> &samples)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t frames = sf_count_t(samples.size()) / channels;
    const bool written = sf_writef_float(file, samples.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

// Interleaved float frames of a 16-bit WAV.
std::vector<float> readWav(const QString &path, int *channels)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<float> samples(std::size_t(info.frames * info.channels));
    samples.resize(std::size_t(sf_readf_float(file, samples.data(), info.frames) * info.channels));
    sf_close(file);
    *channels = info.channels;
    return samples;
}

// A stereo 440 Hz tone of the given amplitude, as many frames as asked.
std::vector<float> tone(std::int64_t frames, double amplitude)
{
    std::vector<float> samples(std::size_t(frames * 2));
    for (std::int64_t f = 0; f < frames; ++f) {
        const float v = float(amplitude * std::sin(2.0 * M_PI * 440.0 * double(f) / Rate));
        samples[std::size_t(2 * f)] = v;
        samples[std::size_t(2 * f + 1)] = v;
    }
    return samples;
}

void setFrame(std::vector<float> &samples, std::int64_t frame, float value)
{
    samples[std::size_t(2 * frame)] = value;
    samples[std::size_t(2 * frame + 1)] = value;
}

// The filter chain the cut runs: the fades at absolute times of the working
// WAV, then the normalisation.
QString cutFilter(const Selection &selection, std::int64_t fadeInMs, std::int64_t fadeOutMs,
                  const QString &normalisation)
{
    QStringList filters;
    if (fadeInMs > 0)
        filters << QStringLiteral("afade=t=in:st=%1:d=%2")
                       .arg(timeline::secondsText(selection.startMs), timeline::secondsText(fadeInMs));
    if (fadeOutMs > 0)
        filters << QStringLiteral("afade=t=out:st=%1:d=%2")
                       .arg(timeline::secondsText(selection.endMs - fadeOutMs),
                            timeline::secondsText(fadeOutMs));
    if (!normalisation.isEmpty())
        filters << normalisation;
    return filters.join(u',');
}

// ffmpeg -i WORK -ss START -t LENGTH -af FILTER <format options> DEST
bool runCut(const QString &work, const Selection &selection, const QString &filter,
            const QStringList &formatOptions, const QString &destination, QString *log)
{
    QStringList arguments{QStringLiteral("-i"), media::asFileUrl(work), QStringLiteral("-ss"),
                          timeline::secondsText(selection.startMs), QStringLiteral("-t"),
                          timeline::secondsText(selection.lengthMs())};
    if (!filter.isEmpty())
        arguments << QStringLiteral("-af") << filter;
    return media::runFfmpeg(arguments + formatOptions + QStringList{media::asFileUrl(destination)}, log);
}

struct Format {
    const char *name;
    const char *extension;
    QStringList options;
};

// The cut's own options for each format the tests save.
const QList<Format> &formats()
{
    static const QList<Format> all{
        {"WAV", "wav", {}},
        {"MP3", "mp3", {"-ab", "320k", "-ar", "48000", "-ac", "2"}},
        {"M4A", "m4a", {"-c:a", "aac", "-b:a", "192k", "-ar", "44100", "-ac", "2", "-f", "ipod"}},
        {"OGG", "ogg", {"-c:a", "libvorbis", "-b:a", "160k", "-ar", "44100", "-ac", "2"}},
    };
    return all;
}

// Sources made with ffmpeg's lavfi, written as the working WAV is (16-bit PCM).
struct Source {
    const char *name;
    QString graph;  // -filter_complex producing [out] from the lavfi inputs, or empty
    QStringList inputs;
};

// A kick (a decaying sweep from about 150 Hz down to 45 Hz) every half second.
QString kick(const QString &shift)
{
    const QString tau = QStringLiteral("mod(t%1\\,0.5)").arg(shift);
    return QStringLiteral("0.8*exp(-18*%1)*sin(2*PI*(45*%1+3*(1-exp(-35*%1))))").arg(tau);
}

}  // namespace

class TestLoudness : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void gainArithmetic_data();
    void gainArithmetic();
    void filterTextIgnoresTheLocale();

    void measureAgreesWithFfmpeg_data();
    void measureAgreesWithFfmpeg();
    void measureReadsOnlyTheSelection();
    void fadesShapeTheMeasure();
    void nothingToMeasure_data();
    void nothingToMeasure();

    void cutMeetsTargetInEveryFormat_data();
    void cutMeetsTargetInEveryFormat();
    void limiterKeepsTimingAndLength();

private:
    QString sourcePath(const QString &name) const { return m_dir.filePath(name + QStringLiteral(".wav")); }

    QTemporaryDir m_dir;
    QStringList m_table;  // what the chain's outputs measured, printed at the end
};

void TestLoudness::initTestCase()
{
    QString why;
    QVERIFY2(media::toolsAvailable(&why), qPrintable(why));
    QVERIFY(m_dir.isValid());

    const QString seconds = QStringLiteral("12");
    const QString duration = QStringLiteral(":d=") + seconds;
    const QString rate = QStringLiteral(":s=44100");
    // quiet: pink noise with a soft tone under it, about -35 LUFS.
    // loud: pink noise driven into a limiter, about -6 LUFS, true peak over 0 dBTP.
    // clicks: a quiet tone with a short full-scale click every 1.5 s: the gain
    //         that brings the tone to the target takes the clicks far over.
    // song: bass, chords, a kick every half second and a snare every second,
    //       under 7 kHz; its peaks stand 16 dB over its loudness.
    // beat: a kick every half second and a snare between, over a faint hum,
    //       under 9 kHz: sharp onsets out of near silence, 14 dB of peak
    //       over loudness.
    const QString snare = QStringLiteral("0.35*exp(-30*mod(t-0.5\\,1))*(2*random(%1)-1)");
    const QString chords = QStringLiteral(
        "0.12*sin(2*PI*55*t)*(0.6+0.4*sin(2*PI*t/4))+0.04*(sin(2*PI*%1*t)+sin(2*PI*%2*t)+sin(2*PI*%3*t))");
    const QString click = QStringLiteral("if(lt(mod(t\\,1.5)\\,0.0005)\\,0.9*sin(2*PI*3000*t)\\,0)");
    const QList<Source> sources{
        {"quiet",
         QStringLiteral("[0]aformat=channel_layouts=mono[a];[1]volume=0.025[b];"
                        "[a][b]amix=inputs=2:normalize=0,pan=stereo|c0=c0|c1=c0[out]"),
         {QStringLiteral("anoisesrc=color=pink:amplitude=0.065:seed=7") + duration,
          QStringLiteral("sine=f=330") + duration}},
        {"loud",
         QStringLiteral("[0]pan=stereo|c0=c0|c1=c0,volume=8dB,alimiter=limit=0.97:level=disabled[out]"),
         {QStringLiteral("anoisesrc=color=pink:amplitude=1:seed=3") + duration}},
        {"clicks", QString(),
         {QStringLiteral("aevalsrc=0.05*sin(2*PI*220*t)+%1|0.05*sin(2*PI*330*t)+%1").arg(click) + rate
              + duration}},
        {"song", QStringLiteral("[0]lowpass=f=7000,volume=-9dB[out]"),
         {QStringLiteral("aevalsrc=%1+%2+%3|%1+%4+%5")
              .arg(kick(QString()), snare.arg(0), chords.arg(220).arg(277.2).arg(329.6), snare.arg(1),
                   chords.arg(220.5).arg(277).arg(330))
          + rate + duration}},
        {"beat", QStringLiteral("[0]lowpass=f=9000,volume=-8dB[out]"),
         {QStringLiteral("aevalsrc=0.5*exp(-40*mod(t+0.25\\,0.5))*(2*random(0)-1)+%1+0.01*sin(2*PI*110*t)"
                         "|0.5*exp(-40*mod(t+0.25\\,0.5))*(2*random(1)-1)+%1+0.01*sin(2*PI*165*t)")
              .arg(kick(QString()))
          + rate + duration}},
    };
    // between: a quiet tone with, every half second, six full-scale samples
    //          whose signs follow a sinc centred between two of them: their
    //          true peak stands about 5 dB over their sample peak.
    std::vector<float> between = tone(12 * Rate, 0.05);
    for (std::int64_t burst = Rate / 4; burst + 6 < 12 * Rate; burst += Rate / 2) {
        for (int k = 0; k < 6; ++k) {
            const double x = M_PI * (k - 2.5);
            setFrame(between, burst + k, std::sin(x) / x > 0 ? 0.9f : -0.9f);
        }
    }
    QVERIFY(writeWav(sourcePath(QStringLiteral("between")), 2, between));

    for (const Source &source : sources) {
        QStringList arguments;
        for (const QString &input : source.inputs)
            arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i") << input;
        if (!source.graph.isEmpty())
            arguments << QStringLiteral("-filter_complex") << source.graph << QStringLiteral("-map")
                      << QStringLiteral("[out]");
        arguments << QStringLiteral("-c:a") << QStringLiteral("pcm_s16le")
                  << media::asFileUrl(sourcePath(QLatin1String(source.name)));
        QString log;
        QVERIFY2(media::runFfmpeg(arguments, &log), qPrintable(log));
    }
}

void TestLoudness::cleanupTestCase()
{
    if (!m_table.isEmpty()) {
        qInfo("%-7s %-5s %-9s %-4s %11s %11s %8s %8s", "source", "from", "fades ms", "fmt", "gain", "limit",
              "I LUFS", "TP dBTP");
        for (const QString &row : m_table)
            qInfo("%s", qPrintable(row));
    }
}

void TestLoudness::gainArithmetic_data()
{
    QTest::addColumn<double>("lufs");
    QTest::addColumn<double>("truePeak");
    QTest::addColumn<double>("gainDb");
    QTest::addColumn<bool>("limit");

    QTest::newRow("quiet, peaks far down") << -20.0 << -10.0 << 6.0 << false;
    QTest::newRow("loud: turned down") << -6.0 << 0.9 << -8.0 << false;
    QTest::newRow("at the target") << -14.0 << -3.0 << 0.0 << false;
    QTest::newRow("peak lands on the line") << -20.0 << -8.0 << 6.0 << false;
    QTest::newRow("peak lands just over the line") << -20.0 << -7.9 << 6.0 << true;
    QTest::newRow("quiet with loud peaks") << -26.0 << -0.5 << 12.0 << true;
    QTest::newRow("loud, and over the line even after the gain") << -10.0 << 3.0 << -4.0 << true;
}

void TestLoudness::gainArithmetic()
{
    QFETCH(double, lufs);
    QFETCH(double, truePeak);
    QFETCH(double, gainDb);
    QFETCH(bool, limit);

    const LoudnessGain gain = normalizingGain(LoudnessMeasure{lufs, truePeak});
    QVERIFY2(std::abs(gain.gainDb - gainDb) < 1e-9, qPrintable(QString::number(gain.gainDb)));
    QCOMPARE(gain.limit, limit);
    // The limiter holds sample peaks: its ceiling lies under the line the true
    // peak is held to, with room for the peaks between samples.
    if (limit)
        QVERIFY(gain.limitDbfs < UnlimitedPeakDbtp);
}

void TestLoudness::filterTextIgnoresTheLocale()
{
    // A locale whose decimal separator is a comma, for Qt and for the C library.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray cBefore = std::setlocale(LC_NUMERIC, nullptr);
    const char *german = nullptr;
    for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German_Germany.1252"}) {
        if ((german = std::setlocale(LC_NUMERIC, name)))
            break;
    }
    if (!german)
        qInfo("no German C locale on this machine; only Qt's default locale is German");

    const QString plain = loudnessFilter(LoudnessGain{3.5, false, LimiterCeilingDbfs});
    const QString down = loudnessFilter(LoudnessGain{-7.625001, false, LimiterCeilingDbfs});
    const QString limited = loudnessFilter(LoudnessGain{12.345, true, -3.0});
    const QString ramped = loudnessFilter(LoudnessGain{0.5, true, -4.5, 61250, 50});

    std::setlocale(LC_NUMERIC, cBefore.constData());
    QLocale::setDefault(before);

    QCOMPARE(plain, QStringLiteral("volume=3.50dB"));
    QCOMPARE(down, QStringLiteral("volume=-7.63dB"));
    // The limit is linear (10^(-3/20)); auto level off; delay compensated.
    QCOMPARE(limited, QStringLiteral("volume=12.35dB,alimiter=limit=0.70795:attack=%1:release=%2"
                                     ":level=disabled:latency=1")
                          .arg(LimiterAttackMs)
                          .arg(LimiterReleaseMs));
    // The ramp starts at the selection's own time in the working WAV, as the cut's fades do.
    QCOMPARE(ramped, QStringLiteral("afade=t=in:st=61.25:d=0.05,volume=0.50dB,alimiter=limit=0.59566:attack=%1"
                                    ":release=%2:level=disabled:latency=1")
                         .arg(LimiterAttackMs)
                         .arg(LimiterReleaseMs));
}

void TestLoudness::measureAgreesWithFfmpeg_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<qint64>("endMs");
    QTest::addColumn<qint64>("fadeInMs");
    QTest::addColumn<qint64>("fadeOutMs");

    QTest::newRow("quiet, no fades") << "quiet" << qint64(3000) << qint64(9000) << qint64(0) << qint64(0);
    QTest::newRow("quiet, long fades") << "quiet" << qint64(3000) << qint64(9000) << qint64(2500) << qint64(2500);
    QTest::newRow("song, fade in only") << "song" << qint64(1230) << qint64(7770) << qint64(3000) << qint64(0);
    QTest::newRow("song, fade out only") << "song" << qint64(1230) << qint64(7770) << qint64(0) << qint64(3000);
    QTest::newRow("loud, short stretch") << "loud" << qint64(8000) << qint64(10500) << qint64(400) << qint64(900);
}

// The in-process measure of a stretch with its fades equals what ffmpeg's
// meter says of the same stretch cut with the same fades.
void TestLoudness::measureAgreesWithFfmpeg()
{
    QFETCH(QString, source);
    QFETCH(qint64, startMs);
    QFETCH(qint64, endMs);
    QFETCH(qint64, fadeInMs);
    QFETCH(qint64, fadeOutMs);

    const Selection selection{startMs, endMs};
    const std::optional<LoudnessMeasure> ours = measureLoudness(sourcePath(source), selection, fadeInMs, fadeOutMs);
    QVERIFY(ours);

    const QString cut = m_dir.filePath(QStringLiteral("agree.wav"));
    QString log;
    QVERIFY2(runCut(sourcePath(source), selection, cutFilter(selection, fadeInMs, fadeOutMs, {}),
                    {QStringLiteral("-c:a"), QStringLiteral("pcm_f32le")}, cut, &log),
             qPrintable(log));
    const R128 theirs = ffmpegR128(cut);
    QVERIFY2(theirs.ok, qPrintable(theirs.log));
    // ffmpeg prints one decimal; its true peak oversamples with a resampler of its own.
    QVERIFY2(std::abs(ours->integratedLufs - theirs.lufs) <= 0.1,
             qPrintable(QStringLiteral("%1 against ffmpeg's %2").arg(ours->integratedLufs).arg(theirs.lufs)));
    QVERIFY2(std::abs(ours->truePeakDbtp - theirs.truePeakDbtp) <= 0.3,
             qPrintable(QStringLiteral("%1 against ffmpeg's %2").arg(ours->truePeakDbtp).arg(theirs.truePeakDbtp)));
}

// Loud audio right outside the selection, down to the frames next to its
// edges, does not count; the selection's own first and last frame do.
void TestLoudness::measureReadsOnlyTheSelection()
{
    const Selection selection{1000, 3000};  // frames [44100, 132300)
    const std::int64_t first = 44100;
    const std::int64_t end = 132300;
    const std::int64_t frames = 4 * Rate;

    std::vector<float> quietInside = tone(frames, 0.05);
    const std::vector<float> loud = tone(frames, 0.9);
    for (std::int64_t f = 0; f < frames; ++f) {
        if (f < first - 1 || f > end) {
            quietInside[std::size_t(2 * f)] = loud[std::size_t(2 * f)];
            quietInside[std::size_t(2 * f + 1)] = loud[std::size_t(2 * f + 1)];
        }
    }
    setFrame(quietInside, first - 1, 1.0f);
    setFrame(quietInside, end, -1.0f);
    const QString outside = m_dir.filePath(QStringLiteral("outside.wav"));
    QVERIFY(writeWav(outside, 2, quietInside));

    std::vector<float> edges = tone(frames, 0.05);
    setFrame(edges, first, 1.0f);
    const QString atFirst = m_dir.filePath(QStringLiteral("first.wav"));
    QVERIFY(writeWav(atFirst, 2, edges));
    edges = tone(frames, 0.05);
    setFrame(edges, end - 1, -1.0f);
    const QString atLast = m_dir.filePath(QStringLiteral("last.wav"));
    QVERIFY(writeWav(atLast, 2, edges));

    const QString quietOnly = m_dir.filePath(QStringLiteral("quiet only.wav"));
    QVERIFY(writeWav(quietOnly, 2, tone(frames, 0.05)));

    const std::optional<LoudnessMeasure> reference = measureLoudness(quietOnly, selection, 0, 0);
    const std::optional<LoudnessMeasure> inside = measureLoudness(outside, selection, 0, 0);
    QVERIFY(reference && inside);
    // A 0.05 tone in both channels: about -26 dBTP and -23 LUFS.
    QVERIFY2(std::abs(reference->truePeakDbtp - 20 * std::log10(0.05)) < 0.2,
             qPrintable(QString::number(reference->truePeakDbtp)));
    QVERIFY2(std::abs(inside->integratedLufs - reference->integratedLufs) < 0.01,
             qPrintable(QStringLiteral("%1 against %2").arg(inside->integratedLufs).arg(reference->integratedLufs)));
    QVERIFY2(std::abs(inside->truePeakDbtp - reference->truePeakDbtp) < 0.01,
             qPrintable(QStringLiteral("%1 against %2").arg(inside->truePeakDbtp).arg(reference->truePeakDbtp)));

    for (const QString &path : {atFirst, atLast}) {
        const std::optional<LoudnessMeasure> edge = measureLoudness(path, selection, 0, 0);
        QVERIFY(edge);
        QVERIFY2(edge->truePeakDbtp > -0.5, qPrintable(path + u' ' + QString::number(edge->truePeakDbtp)));
    }
}

// Fades count as the cut makes them: a fade in starts from silence at the
// selection's first frame, a fade out ends in silence after its last; longer
// fades measure quieter.
void TestLoudness::fadesShapeTheMeasure()
{
    const Selection selection{1000, 5000};  // frames [44100, 220500)
    const std::int64_t frames = 6 * Rate;
    std::vector<float> samples = tone(frames, 0.1);
    setFrame(samples, 44100, 1.0f);
    setFrame(samples, 220499, -1.0f);
    const QString path = m_dir.filePath(QStringLiteral("fades.wav"));
    QVERIFY(writeWav(path, 2, samples));

    const auto none = measureLoudness(path, selection, 0, 0);
    const auto fadeIn = measureLoudness(path, selection, 10, 0);
    const auto fadeOut = measureLoudness(path, selection, 0, 10);
    const auto both = measureLoudness(path, selection, 10, 10);
    const auto longer = measureLoudness(path, selection, 1000, 1000);
    const auto longest = measureLoudness(path, selection, 2000, 2000);
    QVERIFY(none && fadeIn && fadeOut && both && longer && longest);

    // Each fade silences its own edge's click, and only that one.
    const double tonePeak = 20 * std::log10(0.1);
    QVERIFY2(none->truePeakDbtp > -0.5, qPrintable(QString::number(none->truePeakDbtp)));
    QVERIFY2(fadeIn->truePeakDbtp > -0.5, qPrintable(QString::number(fadeIn->truePeakDbtp)));
    QVERIFY2(fadeOut->truePeakDbtp > -0.5, qPrintable(QString::number(fadeOut->truePeakDbtp)));
    QVERIFY2(std::abs(both->truePeakDbtp - tonePeak) < 0.2, qPrintable(QString::number(both->truePeakDbtp)));

    QVERIFY(longer->integratedLufs < both->integratedLufs - 0.2);
    QVERIFY(longest->integratedLufs < longer->integratedLufs - 0.2);
    QVERIFY(longest->truePeakDbtp <= longer->truePeakDbtp + 0.01);
}

void TestLoudness::nothingToMeasure_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<qint64>("endMs");

    QTest::newRow("no such file") << "missing.wav" << qint64(0) << qint64(1000);
    QTest::newRow("not audio") << "text.wav" << qint64(0) << qint64(1000);
    QTest::newRow("selection after the end") << "tone.wav" << qint64(3000) << qint64(4000);
    QTest::newRow("empty selection") << "tone.wav" << qint64(1000) << qint64(1000);
    QTest::newRow("digital silence") << "silence.wav" << qint64(0) << qint64(2000);
    QTest::newRow("a header and no frames") << "header.wav" << qint64(0) << qint64(2000);
}

void TestLoudness::nothingToMeasure()
{
    QFETCH(QString, file);
    QFETCH(qint64, startMs);
    QFETCH(qint64, endMs);

    const QString path = m_dir.filePath(file);
    if (file == u"text.wav") {
        QFile text(path);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("RIFF? not really, just words that go on for a while\n").repeated(40));
    } else if (file == u"tone.wav") {
        QVERIFY(writeWav(path, 2, tone(2 * Rate, 0.5)));
    } else if (file == u"silence.wav") {
        QVERIFY(writeWav(path, 2, std::vector<float>(std::size_t(2 * 2 * Rate), 0.0f)));
    } else if (file == u"header.wav") {
        QVERIFY(writeWav(path, 2, {}));
    }

    const Selection selection{startMs, endMs};
    QVERIFY(!measureLoudness(path, selection, 0, 0));
    QVERIFY(!measureLoudness(path, selection, 100, 100));
    QVERIFY(!normalizingGainFor(path, selection, 0, 0));
}

void TestLoudness::cutMeetsTargetInEveryFormat_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<qint64>("startMs");
    QTest::addColumn<qint64>("fadeInMs");
    QTest::addColumn<qint64>("fadeOutMs");
    QTest::addColumn<bool>("limit");
    QTest::addColumn<bool>("lowerCeiling");

    // 3 s is on a kick in the song and the beat: those cuts begin at full level.
    for (const auto &[name, limit] : {std::pair{"quiet", false}, std::pair{"loud", false},
                                      std::pair{"clicks", true}, std::pair{"song", true},
                                      std::pair{"beat", true}, std::pair{"between", true}}) {
        const bool lower = QByteArray(name) == "between";
        QTest::addRow("%s, no fades", name) << QString::fromLatin1(name) << qint64(3000) << qint64(0) << qint64(0)
                                            << limit << lower;
        QTest::addRow("%s, fades", name) << QString::fromLatin1(name) << qint64(3000) << qint64(1000)
                                         << qint64(1500) << limit << lower;
    }
    // More cuts that begin on a kick without a fade, and one with a fade too
    // short to help the encoder.
    for (const qint64 startMs : {2000, 5000, 7000})
        QTest::addRow("song from %lld s, no fades", startMs / 1000) << "song" << startMs << qint64(0) << qint64(0)
                                                                    << true << false;
    QTest::addRow("beat from 4.75 s, 10 ms fade in") << "beat" << qint64(4750) << qint64(10) << qint64(0) << true
                                                     << false;
}

// The whole chain on the real ffmpeg: the gain from the in-process measure,
// the filter text in the cut's command line, each format's own options; the
// outputs land within 1 LU of the target with their true peak at most at the
// ceiling.
void TestLoudness::cutMeetsTargetInEveryFormat()
{
    QFETCH(QString, source);
    QFETCH(qint64, startMs);
    QFETCH(qint64, fadeInMs);
    QFETCH(qint64, fadeOutMs);
    QFETCH(bool, limit);
    QFETCH(bool, lowerCeiling);

    const Selection selection{startMs, startMs + 5000};
    const std::optional<LoudnessGain> gain = normalizingGainFor(sourcePath(source), selection, fadeInMs, fadeOutMs);
    QVERIFY(gain);
    QCOMPARE(gain->limit, limit);
    // The ceiling comes down only for peaks between samples that the sample
    // ceiling alone would let through.
    if (limit)
        QCOMPARE(gain->limitDbfs < LimiterCeilingDbfs - 0.5, lowerCeiling);
    const QString filter = cutFilter(selection, fadeInMs, fadeOutMs, loudnessFilter(*gain));

    for (const Format &format : formats()) {
        const QString output = m_dir.filePath(QStringLiteral("%1 %2 %3-%4.%5")
                                                  .arg(source)
                                                  .arg(startMs)
                                                  .arg(fadeInMs)
                                                  .arg(fadeOutMs)
                                                  .arg(QLatin1String(format.extension)));
        QString log;
        QVERIFY2(runCut(sourcePath(source), selection, filter, format.options, output, &log),
                 qPrintable(filter + u'\n' + log));
        const R128 measured = ffmpegR128(output);
        QVERIFY2(measured.ok, qPrintable(measured.log));
        m_table << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                       .arg(source, -7)
                       .arg(startMs / 1000.0, -5)
                       .arg(QStringLiteral("%1/%2").arg(fadeInMs).arg(fadeOutMs), -9)
                       .arg(QLatin1String(format.name), -4)
                       .arg(QStringLiteral("%1 dB").arg(gain->gainDb, 0, 'f', 2), 11)
                       .arg(gain->limit ? QStringLiteral("%1 dBFS").arg(gain->limitDbfs, 0, 'f', 2)
                                        : QStringLiteral("-"), 11)
                       .arg(measured.lufs, 8, 'f', 1)
                       .arg(measured.truePeakDbtp, 8, 'f', 1);
        const QString what = QStringLiteral("%1: I %2 LUFS, true peak %3 dBTP with %4")
                                 .arg(QLatin1String(format.name))
                                 .arg(measured.lufs)
                                 .arg(measured.truePeakDbtp)
                                 .arg(filter);
        QVERIFY2(std::abs(measured.lufs - TargetLufs) <= 1.0, qPrintable(what));
        QVERIFY2(measured.truePeakDbtp <= PeakCeilingDbtp, qPrintable(what));
    }
}

// With the limiter in the chain the cut keeps its length to the frame, and
// each click comes out where it was: the limiter's look-ahead delay is
// compensated, not added to the output.
void TestLoudness::limiterKeepsTimingAndLength()
{
    const Selection selection{2000, 8000};
    const std::optional<LoudnessGain> gain = normalizingGainFor(sourcePath(QStringLiteral("clicks")), selection, 0, 0);
    QVERIFY(gain && gain->limit);
    const QString output = m_dir.filePath(QStringLiteral("timing.wav"));
    QString log;
    QVERIFY2(runCut(sourcePath(QStringLiteral("clicks")), selection, loudnessFilter(*gain), {}, output, &log),
             qPrintable(log));
    int channels = 0;
    const std::vector<float> samples = readWav(output, &channels);
    QCOMPARE(channels, 2);
    QCOMPARE(qint64(samples.size() / 2), qint64(6 * Rate));

    // The clicks of the source sit at whole multiples of 1.5 s: 3.0, 4.5, 6.0
    // and 7.5 s, that is 1.0, 2.5, 4.0 and 5.5 s into the cut. The tone under
    // them stays below half the limiter's ceiling.
    const double ceiling = std::pow(10.0, gain->limitDbfs / 20.0);
    std::vector<std::int64_t> onsets;
    for (std::int64_t f = 0; f < std::int64_t(samples.size() / 2); ++f) {
        const float v = std::max(std::abs(samples[std::size_t(2 * f)]), std::abs(samples[std::size_t(2 * f + 1)]));
        if (v > 0.8 * ceiling && (onsets.empty() || f - onsets.back() > Rate / 2))
            onsets.push_back(f);
        QVERIFY2(v <= ceiling + 1.0 / 32768, qPrintable(QStringLiteral("frame %1: %2").arg(f).arg(v)));
    }
    QCOMPARE(onsets.size(), std::size_t(4));
    const double expectedSeconds[] = {1.0, 2.5, 4.0, 5.5};
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        // The click rises to its peak within its first quarter cycle (0.08 ms at 3 kHz).
        const double late = double(onsets[i]) / Rate - expectedSeconds[i];
        QVERIFY2(late >= 0.0 && late < 0.0005,
                 qPrintable(QStringLiteral("click %1 is %2 ms off").arg(i).arg(late * 1000)));
    }
}

QTEST_GUILESS_MAIN(TestLoudness)
#include "test_loudness.moc"
