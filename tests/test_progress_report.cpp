#include "pipeline/ProgressReport.h"

#include "pipeline/Command.h"
#include "pipeline/DOSOutputs.h"
#include "pipeline/CommandLines.h"
#include "support/Media.h"
#include "support/RecordingMessages.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the adapter wrote while decoding a generated 3:25 MP3 whose title tag is
// Chinese, from the input description on (ffmpeg 5.1 through data/coder).
constexpr QStringView CapturedDecode =
    u"Input #0, mp3, from 'song.mp3':\n"
    u"  Metadata:\n"
    u"    title           : 铃声 test\n"
    u"    encoder         : Lavf59.27.100\n"
    u"  Duration: 00:03:25.17, start: 0.025057, bitrate: 128 kb/s\n"
    u"  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n"
    u"    Metadata:\n"
    u"      encoder         : Lavc59.37\n"
    u"Stream mapping:\n"
    u"  Stream #0:0 -> #0:0 (mp3 (mp3float) -> pcm_s16le (native))\n"
    u"Output #0, wav, to 'open.wav':\n"
    u"  Metadata:\n"
    u"    INAM            : 铃声 test\n"
    u"    ISFT            : Lavf59.27.100\n"
    u"  Stream #0:0: Audio: pcm_s16le ([1][0][0][0] / 0x0001), 44100 Hz, stereo, s16, 1411 kb/s\n"
    u"    Metadata:\n"
    u"      encoder         : Lavc59.37.100 pcm_s16le\n"
    u"size=       0kB time=0.00 bitrate=2416.5kbits/s speed=N/A    \r"
    u"size=   35335kB time=205.12 bitrate=1411.2kbits/s speed= 633x    \n"
    u"video:0kB audio:35335kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 0.000370%\n";

// The adapter's progress lines while cutting 150 s of that WAV into an MP3.
constexpr QStringView CapturedCutProgress =
    u"size=       1kB time=0.00 bitrate=N/A speed=N/A    \r"
    u"size=     768kB time=20.59 bitrate= 305.5kbits/s speed=40.9x    \r"
    u"size=    1536kB time=41.83 bitrate= 300.8kbits/s speed=41.5x    \r"
    u"size=    2304kB time=60.04 bitrate= 314.3kbits/s speed=39.8x    \r"
    u"size=    3072kB time=80.92 bitrate= 311.0kbits/s speed=40.3x    \r"
    u"size=    3840kB time=102.28 bitrate= 307.5kbits/s speed=40.8x    \r"
    u"size=    4608kB time=122.30 bitrate= 308.6kbits/s speed=40.6x    \r"
    u"size=    5376kB time=142.36 bitrate= 309.3kbits/s speed=40.5x    \r"
    u"size=    5861kB time=150.00 bitrate= 320.1kbits/s speed=40.7x    \n";

// Cuts text into pieces the way the runner delivers them: at most maxBytes of
// UTF-8 each (the runner's reads give at most 1,024), never inside a character.
QStringList asRunnerPieces(QStringView text, qsizetype maxBytes)
{
    QStringList pieces;
    QString current;
    qsizetype currentBytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() ? 2 : 1;
        const QStringView character = text.mid(i, length);
        const qsizetype bytes = character.toUtf8().size();
        if (currentBytes + bytes > maxBytes) {
            pieces.append(current);
            current.clear();
            currentBytes = 0;
        }
        current += character;
        currentBytes += bytes;
        i += length;
    }
    if (!current.isEmpty())
        pieces.append(current);
    return pieces;
}

}  // namespace

Q_DECLARE_METATYPE(ProgressJob)

class ProgressReportTest : public QObject {
    Q_OBJECT

private slots:
    void durationScan_data();
    void durationScan();
    void durationCutShortStaysForTheJob();
    void progressTime_data();
    void progressTime();
    void display_data();
    void display();
    void percentText_data();
    void percentText();
    void capturedDecodeOutput();
    void capturedCutOutput();
    void liveDecodeThroughRunner();
};

void ProgressReportTest::durationScan_data()
{
    QTest::addColumn<ProgressJob>("job");
    QTest::addColumn<int>("totalBefore");
    QTest::addColumn<QString>("piece");
    QTest::addColumn<int>("totalAfter");

    const auto decode = ProgressJob::Decode;
    QTest::newRow("minutes and fraction")
        << decode << 0 << "  Duration: 00:03:25.12, start: 0.000000, bitrate: 320 kb/s\n" << 205;
    QTest::newRow("half second goes to even, down") << decode << 0 << "Duration: 00:00:04.50, start" << 4;
    QTest::newRow("half second goes to even, up") << decode << 0 << "Duration: 00:00:03.50, start" << 4;
    QTest::newRow("one hour") << decode << 0 << "Duration: 01:00:00.00, start" << 3600;
    QTest::newRow("N/A leaves it unknown") << decode << 0 << "Duration: N/A, start: 0" << 0;
    QTest::newRow("marker is the last ten characters") << decode << 0 << "abc Duration: " << 0;
    QTest::newRow("one character after the marker") << decode << 0 << "Duration: 7" << 0;
    QTest::newRow("only two fields") << decode << 0 << "Duration: 00:03, start" << 0;
    QTest::newRow("token runs to the end of the piece") << decode << 0 << "Duration: 00:01:02.4" << 62;
    QTest::newRow("blank after the marker does not count")
        << decode << 0 << "Duration:  00:09:00.00, x Duration: 00:00:10.00, start" << 10;
    QTest::newRow("first counting marker wins")
        << decode << 0 << "Duration: 00:00:10.00, start\nDuration: 00:00:20.00, start" << 10;
    QTest::newRow("first counting marker wins even when unreadable")
        << decode << 0 << "Duration: N/A, x\nDuration: 00:00:20.00, start" << 0;
    QTest::newRow("known duration is kept") << decode << 205 << "Duration: 00:00:10.00, start" << 205;
    QTest::newRow("cut job never reads it") << ProgressJob::Cut << 0 << "Duration: 00:00:10.00, start" << 0;
    QTest::newRow("letter case matters") << decode << 0 << "DURATION: 00:00:10.00, start" << 0;
    QTest::newRow("fields that are no numbers read as 0") << decode << 0 << "Duration: ab:cd:5.5, x" << 6;
}

void ProgressReportTest::durationScan()
{
    QFETCH(ProgressJob, job);
    QFETCH(int, totalBefore);
    QFETCH(QString, piece);
    QFETCH(int, totalAfter);

    std::int32_t total = totalBefore;
    ProgressReport(job, piece, total, 0, 100);
    QCOMPARE(total, totalAfter);
}

void ProgressReportTest::durationCutShortStaysForTheJob()
{
    // A duration line split between two pieces is read as far as the first
    // piece reaches, and that shorter value is not corrected later.
    std::int32_t total = 0;
    ProgressReport(ProgressJob::Decode, u"Input #0\n  Duration: 00:03:2", total, 0, 0);
    QCOMPARE(total, 182);
    ProgressReport(ProgressJob::Decode, u"5.12, start: 0.000000\n  Duration: 00:03:25.12, x", total,
                   0, 0);
    QCOMPARE(total, 182);
}

void ProgressReportTest::progressTime_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("seconds");

    QTest::newRow("plain seconds") << "size= 1kB time=12.34 bitrate=1" << true << 12;
    QTest::newRow("half to even, down") << "time=12.50 " << true << 12;
    QTest::newRow("half to even, up") << "time=13.50 " << true << 14;
    QTest::newRow("first of two lines") << "time=5.00 bitrate=1\rsize= 2kB time=50.00 b" << true << 5;
    QTest::newRow("clock form reads as 0") << "time=00:00:12.34 bitrate" << true << 0;
    QTest::newRow("N/A reads as 0") << "time=N/A bitrate" << true << 0;
    QTest::newRow("empty token") << "time= 12" << true << 0;
    QTest::newRow("slightly negative") << "time=-0.02 bitrate" << true << 0;
    QTest::newRow("token to the end of the piece") << "size= 5kB time=61.7" << true << 62;
    QTest::newRow("marker is the last five characters") << "size= 1kB time=" << false << 0;
    QTest::newRow("no marker") << "Stream mapping:\n" << false << 0;
    QTest::newRow("empty piece") << "" << false << 0;
}

void ProgressReportTest::progressTime()
{
    QFETCH(QString, piece);
    QFETCH(bool, found);
    QFETCH(int, seconds);

    const std::optional<std::int32_t> time = progressTimeIn(piece);
    QCOMPARE(time.has_value(), found);
    if (found)
        QCOMPARE(*time, seconds);
    // Without a progress time the bar is left alone.
    std::int32_t total = 100;
    QCOMPARE(ProgressReport(ProgressJob::Decode, piece, total, 0, 0).has_value(), found);
}

void ProgressReportTest::display_data()
{
    QTest::addColumn<ProgressJob>("job");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("piece");
    QTest::addColumn<float>("width");
    QTest::addColumn<QString>("label");

    const auto decode = ProgressJob::Decode;
    const auto cut = ProgressJob::Cut;
    QTest::newRow("decode a fifth") << decode << 205 << 0 << 0 << "time=41.00 " << 1083.0f << "20%";
    QTest::newRow("decode at the end") << decode << 205 << 0 << 0 << "time=205.00 " << 5415.0f << "100%";
    QTest::newRow("decode beyond the end") << decode << 205 << 0 << 0 << "time=300.00 " << 5415.0f << "100%";
    QTest::newRow("decode without duration") << decode << 0 << 0 << 0 << "time=3.00 " << 5415.0f << "100%";
    QTest::newRow("decode at zero") << decode << 205 << 0 << 0 << "time=0.00 " << 0.0f << "0%";
    QTest::newRow("clock-form time") << decode << 205 << 0 << 0 << "time=00:00:12.34 " << 0.0f << "0%";
    QTest::newRow("cut, selection 30 to 55") << cut << 0 << 30 << 55 << "time=10.00 " << 1686.0f << "40%";
    QTest::newRow("cut ignores the duration") << cut << 205 << 30 << 55 << "time=10.00 " << 1686.0f << "40%";
    QTest::newRow("cut of nothing") << cut << 0 << 40 << 40 << "time=1.00 " << 4215.0f << "100%";
    QTest::newRow("label 5%") << cut << 0 << 0 << 200 << "time=10 " << 210.75f << "5%";
    QTest::newRow("label 12.5%") << cut << 0 << 0 << 8 << "time=1 " << 526.875f << "12.5%";
    QTest::newRow("label 33.3%") << cut << 0 << 0 << 3 << "time=1 " << 1405.0f << "33.3%";
    QTest::newRow("label 7.14%") << cut << 0 << 0 << 14 << "time=1 " << 301.07144f << "7.14%";
    QTest::newRow("label 0.12%") << cut << 0 << 0 << 800 << "time=1 " << 5.26875f << "0.12%";
}

void ProgressReportTest::display()
{
    QFETCH(ProgressJob, job);
    QFETCH(int, total);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, piece);
    QFETCH(float, width);
    QFETCH(QString, label);

    std::int32_t totalSeconds = total;
    const auto shown = ProgressReport(job, piece, totalSeconds, selStart, selEnd);
    QVERIFY(shown.has_value());
    QCOMPARE(shown->label, label);
    QCOMPARE(shown->barWidthTwips, width);
}

void ProgressReportTest::percentText_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("one decimal") << 12.5 << "12.5";
    QTest::newRow("a third") << 100.0 / 3.0 << "33.3333333333333";
    QTest::newRow("two thirds rounds the last digit") << 200.0 / 3.0 << "66.6666666666667";
    QTest::newRow("binary noise is cut off") << (0.1 + 0.2) * 100.0 << "30";
    QTest::newRow("small values stay plain decimals") << 0.00005 << "0.00005";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("large") << 1234567.5 << "1234567.5";
}

void ProgressReportTest::percentText()
{
    QFETCH(double, percent);
    QFETCH(QString, text);
    QCOMPARE(::percentText(percent), text);
}

void ProgressReportTest::capturedDecodeOutput()
{
    // A slow decode: every line of the output arrives in a piece of its own.
    std::int32_t total = 0;
    std::optional<ProgressDisplay> last;
    for (const QString &line : CapturedDecode.toString().split(QRegularExpression(QStringLiteral("(?<=[\r\n])")))) {
        if (auto shown = ProgressReport(ProgressJob::Decode, line, total, 0, 0))
            last = shown;
    }
    QCOMPARE(total, 205);
    QVERIFY(last.has_value());
    QCOMPARE(last->label, QStringLiteral("100%"));
    QCOMPARE(last->barWidthTwips, DecodeBarFullWidth);

    // A fast one: the runner reads both progress lines in one piece, and only
    // the first time token of a piece counts, so the bar ends where that says.
    total = 0;
    last.reset();
    const QStringList pieces = asRunnerPieces(CapturedDecode, 1024);
    for (const QString &piece : pieces) {
        if (auto shown = ProgressReport(ProgressJob::Decode, piece, total, 0, 0))
            last = shown;
    }
    QCOMPARE(total, 205);
    QVERIFY(last.has_value());
    QCOMPARE(last->label, QStringLiteral("0%"));
}

void ProgressReportTest::capturedCutOutput()
{
    // One progress line per piece, selection 30 to 180 s.
    QStringList labels;
    QList<float> widths;
    std::int32_t total = 0;
    for (QStringView line : CapturedCutProgress.split(u'\r')) {
        if (auto shown = ProgressReport(ProgressJob::Cut, line, total, 30, 180)) {
            labels.append(shown->label);
            widths.append(shown->barWidthTwips);
        }
    }
    // 142.36 s is 94.666...%: the label keeps four characters, it does not round.
    const QStringList expected{QStringLiteral("0%"),    QStringLiteral("14%"),
                               QStringLiteral("28%"),   QStringLiteral("40%"),
                               QStringLiteral("54%"),   QStringLiteral("68%"),
                               QStringLiteral("81.3%"), QStringLiteral("94.6%"),
                               QStringLiteral("100%")};
    QCOMPARE(labels, expected);
    QVERIFY(std::is_sorted(widths.begin(), widths.end()));
    QCOMPARE(widths.last(), CutBarFullWidth);
    QCOMPARE(total, 0);
}

void ProgressReportTest::liveDecodeThroughRunner()
{
    QString why;
    if (!media::toolsAvailable(&why))
        QFAIL(qPrintable(why));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString source = folder.filePath(QStringLiteral("tone.mp3"));
    QVERIFY(media::makeStereoMp3(source, 9.6));

    Paths paths;
    paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
    paths.workFolder = folder.path();
    RecordingMessages messages;
    DOSOutputs runner(messages);
    std::int32_t total = 0;
    std::optional<ProgressDisplay> last;
    int shownCount = 0;
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [&](const QString &piece) {
        if (auto shown = ProgressReport(ProgressJob::Decode, piece, total, 0, 0)) {
            last = shown;
            ++shownCount;
        }
    });
    runner.ExecuteCommand(DecodeCommand(paths, source));

    QVERIFY2(messages.isEmpty(), qPrintable(messages.texts().join(u'\n')));
    QCOMPARE(runner.exitCode(), 0);
    QCOMPARE(total, 10);  // 9.6 s plus the MP3's padding, to the nearest second
    // How the progress lines fall into pieces depends on timing; that there
    // are some, and that none runs past the full bar, does not.
    QVERIFY(shownCount > 0);
    QVERIFY(last->barWidthTwips <= DecodeBarFullWidth);
    QVERIFY(last->label.endsWith(u'%'));
}

QTEST_GUILESS_MAIN(ProgressReportTest)
#include "test_progress_report.moc"
