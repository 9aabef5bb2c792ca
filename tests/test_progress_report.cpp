#include "pipeline/ProgressReport.h"

#include "pipeline/JobProgress.h"
#include "pipeline/LineAssembler.h"
#include "pipeline/CommandLines.h"
#include "pipeline/ProcessRunner.h"
#include "support/Media.h"
#include "support/RunToEnd.h"
#include "support/RecordingMessages.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the adapter wrote while decoding a generated 3:25 MP3 whose title tag is
// Chinese, from the input description on (ffmpeg 5.1 through data/coder; the
// metadata of the streams left out).
constexpr QStringView CapturedDecode =
    u"Input #0, mp3, from 'song.mp3':\n"
    u"  Metadata:\n"
    u"    title           : 铃声 test\n"
    u"  Duration: 00:03:25.17, start: 0.025057, bitrate: 128 kb/s\n"
    u"  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n"
    u"Output #0, wav, to 'open.wav':\n"
    u"  Stream #0:0: Audio: pcm_s16le ([1][0][0][0] / 0x0001), 44100 Hz, stereo, s16, 1411 kb/s\n"
    u"size=       0kB time=0.00 bitrate=2416.5kbits/s speed=N/A    \r"
    u"size=   35335kB time=205.12 bitrate=1411.2kbits/s speed= 633x    \n"
    u"video:0kB audio:35335kB subtitle:0kB other streams:0kB global headers:0kB muxing overhead: 0.000370%\n";

// Feeds the pieces to a decode job as the open flow does, through to the end
// of the output; the last display shown, and the duration.
std::optional<ProgressDisplay> decodePieces(const QStringList &pieces, std::int32_t &total)
{
    JobProgress progress(ProgressJob::Decode);
    std::optional<ProgressDisplay> last;
    for (const QString &piece : pieces) {
        if (auto shown = progress.feed(piece, total, 0.0))
            last = shown;
    }
    if (auto shown = progress.finish(total, 0.0))
        last = shown;
    return last;
}

}  // namespace

Q_DECLARE_METATYPE(ProgressJob)

class ProgressReportTest : public QObject {
    Q_OBJECT

private slots:
    // The duration a piece leaves behind, and its progress time (-1: none).
    void tokenScans_data()
    {
        QTest::addColumn<ProgressJob>("job");
        QTest::addColumn<int>("totalBefore");
        QTest::addColumn<QString>("piece");
        QTest::addColumn<int>("totalAfter");
        QTest::addColumn<int>("time");

        const auto decode = ProgressJob::Decode;
        QTest::newRow("duration") << decode << 0 << "  Duration: 00:03:25.12, start: 0.000000\n" << 205 << -1;
        QTest::newRow("duration half to even") << decode << 0 << "Duration: 00:00:04.50, start" << 4 << -1;
        QTest::newRow("one hour") << decode << 0 << "Duration: 01:00:00.00, start" << 3600 << -1;
        QTest::newRow("duration N/A") << decode << 0 << "Duration: N/A, start: 0" << 0 << -1;
        QTest::newRow("duration marker at the end") << decode << 0 << "abc Duration: " << 0 << -1;
        QTest::newRow("blank after the marker does not count")
            << decode << 0 << "Duration:  00:09:00.00, x Duration: 00:00:10.00, start" << 10 << -1;
        QTest::newRow("first counting marker wins even when unreadable")
            << decode << 0 << "Duration: N/A, x\nDuration: 00:00:20.00, start" << 0 << -1;
        QTest::newRow("fields that are no numbers read as 0") << decode << 0 << "Duration: ab:cd:5.5, x" << 6 << -1;
        QTest::newRow("known duration is kept") << decode << 205 << "Duration: 00:00:10.00, start" << 205 << -1;
        QTest::newRow("cut job never reads it") << ProgressJob::Cut << 0 << "Duration: 00:00:10.00, start" << 0 << -1;
        QTest::newRow("time") << decode << 0 << "size= 1kB time=12.34 bitrate=1" << 0 << 12;
        QTest::newRow("time half to even, down") << decode << 0 << "time=12.50 " << 0 << 12;
        QTest::newRow("time half to even, up") << decode << 0 << "time=13.50 " << 0 << 14;
        QTest::newRow("first of two lines") << decode << 0 << "time=5.00 b\rsize= 2kB time=50.00 b" << 0 << 5;
        QTest::newRow("clock form reads as 0") << decode << 0 << "time=00:00:12.34 bitrate" << 0 << 0;
        QTest::newRow("N/A reads as 0") << decode << 0 << "time=N/A bitrate" << 0 << 0;
        QTest::newRow("time token to the end of the piece") << decode << 0 << "size= 5kB time=61.7" << 0 << 62;
        QTest::newRow("time marker at the end") << decode << 0 << "size= 1kB time=" << 0 << -1;
        QTest::newRow("empty piece") << decode << 0 << "" << 0 << -1;
    }

    void tokenScans()
    {
        QFETCH(ProgressJob, job);
        QFETCH(int, totalBefore);
        QFETCH(QString, piece);
        QFETCH(int, totalAfter);
        QFETCH(int, time);

        QCOMPARE(progressTimeIn(piece).value_or(-1), time);
        std::int32_t total = totalBefore;
        // Without a progress time the bar is left alone.
        QCOMPARE(ProgressReport(job, piece, total, 100.0).has_value(), time >= 0);
        QCOMPARE(total, totalAfter);
    }

    // A marker split between two pieces is read whole once its line is.
    void markersSplitBetweenPiecesAreReadWhole()
    {
        std::int32_t total = 0;
        JobProgress progress(ProgressJob::Decode);
        QVERIFY(!progress.feed(u"Input #0\n  Duration: 00:03:2", total, 0.0));
        QCOMPARE(total, 0);
        QVERIFY(!progress.feed(u"5.12, start: 0.0\n  Duration: 00:09:00.00, x\nsize= 1kB ti", total, 0.0));
        QCOMPARE(total, 205);  // the first duration, whole
        const auto shown = progress.feed(u"me=41.00 bitrate=1\r", total, 0.0);
        QVERIFY(shown);
        QCOMPARE(shown->label, QStringLiteral("20%"));

        // a new job starts clean: the unfinished line of the last one is gone
        progress.feed(u"size= 1kB time=2", total, 0.0);
        progress.reset();
        QVERIFY(!progress.finish(total, 0.0));
    }

    void linesEndAtCarriageReturnsAndLineFeeds_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("rest");
        QTest::newRow("one piece, both ends") << QStringList{"a\rb\nc\r\nd"} << QStringList{"a", "b", "c"} << "d";
        QTest::newRow("split inside a line") << QStringList{"ab", "c\nd", "e"} << QStringList{"abc"} << "de";
        QTest::newRow("end split from its line") << QStringList{"abc", "\r", "\n"} << QStringList{"abc"} << "";
        QTest::newRow("empty lines left out") << QStringList{"\n\r\n", "x\n\n"} << QStringList{"x"} << "";
        QTest::newRow("Chinese kept whole") << QStringList{"标题 : 铃", "声\n"} << QStringList{"标题 : 铃声"} << "";
    }
    void linesEndAtCarriageReturnsAndLineFeeds()
    {
        QFETCH(QStringList, pieces);
        QFETCH(QStringList, lines);
        QFETCH(QString, rest);
        LineAssembler assembler;
        QStringList seen;
        for (const QString &piece : pieces)
            seen += assembler.feed(piece);
        QCOMPARE(seen, lines);
        QCOMPARE(assembler.takeRest(), rest);
        QCOMPARE(assembler.takeRest(), QString());
    }

    void display_data()
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
        QTest::newRow("clock-form time") << decode << 205 << 0 << 0 << "time=00:00:12.34 " << 0.0f << "0%";
        QTest::newRow("cut, selection 30 to 55") << cut << 0 << 30 << 55 << "time=10.00 " << 1686.0f << "40%";
        QTest::newRow("cut ignores the duration") << cut << 205 << 30 << 55 << "time=10.00 " << 1686.0f << "40%";
        QTest::newRow("cut of nothing") << cut << 0 << 40 << 40 << "time=1.00 " << 4215.0f << "100%";
        QTest::newRow("cut at the end") << cut << 0 << 30 << 180 << "time=150.00 " << 4215.0f << "100%";
        // 142 s of 150 is 94.666...%: the label keeps four characters, it does not round.
        QTest::newRow("label 94.6%") << cut << 0 << 30 << 180 << "time=142.36 " << 3990.2f << "94.6%";
        QTest::newRow("label 7.14%") << cut << 0 << 0 << 14 << "time=1 " << 301.07144f << "7.14%";
        QTest::newRow("label 0.12%") << cut << 0 << 0 << 800 << "time=1 " << 5.26875f << "0.12%";
    }

    void display()
    {
        QFETCH(ProgressJob, job);
        QFETCH(int, total);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        QFETCH(QString, piece);
        QFETCH(float, width);
        QFETCH(QString, label);

        std::int32_t totalSeconds = total;
        const auto shown = ProgressReport(job, piece, totalSeconds, double(selEnd - selStart));
        QVERIFY(shown.has_value());
        QCOMPARE(shown->label, label);
        QCOMPARE(shown->barWidthTwips, width);
    }

    void percentText()
    {
        QCOMPARE(::percentText(100.0), QStringLiteral("100"));
        QCOMPARE(::percentText(12.5), QStringLiteral("12.5"));
        QCOMPARE(::percentText(100.0 / 3.0), QStringLiteral("33.3333333333333"));
        QCOMPARE(::percentText(200.0 / 3.0), QStringLiteral("66.6666666666667"));
        QCOMPARE(::percentText((0.1 + 0.2) * 100.0), QStringLiteral("30"));  // binary noise cut off
        QCOMPARE(::percentText(0.00005), QStringLiteral("0.00005"));  // no exponent
    }

    void capturedDecodeOutput()
    {
        // A slow decode gets one line a piece; a fast one gets both progress
        // lines in one piece, or pieces cut anywhere: the bar ends full alike.
        const qsizetype progress = CapturedDecode.indexOf(u"size=");
        QStringList everyFewBytes;
        for (qsizetype at = 0; at < CapturedDecode.size(); at += 7)
            everyFewBytes << CapturedDecode.mid(at, 7).toString();
        const QList<std::pair<QStringList, QString>> ways{
            {CapturedDecode.toString().split(QRegularExpression(QStringLiteral("(?<=[\r\n])"))),
             QStringLiteral("100%")},
            {{CapturedDecode.left(progress).toString(), CapturedDecode.mid(progress).toString()},
             QStringLiteral("100%")},
            {everyFewBytes, QStringLiteral("100%")}};
        for (const auto &[pieces, label] : ways) {
            std::int32_t total = 0;
            const auto last = decodePieces(pieces, total);
            QCOMPARE(total, 205);
            QVERIFY(last.has_value());
            QCOMPARE(last->label, label);
        }
    }

    void liveDecodeThroughRunner()
    {
        QString why;
        if (!media::toolsAvailable(&why))
            QFAIL(qPrintable(why));
        QTemporaryDir folder;
        const QString source = folder.filePath(QStringLiteral("tone.mp3"));
        QVERIFY(media::makeStereoMp3(source, 9.6));

        Paths paths;
        paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
        paths.workFolder = folder.path();
        RecordingMessages messages;
        ProcessRunner runner(messages);
        QStringList pieces;
        QObject::connect(&runner, &ProcessRunner::outputReceived,
                         [&](const QString &piece) { pieces.append(piece); });
        runToEnd(runner, DecodeCommand(paths, source));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.texts().join(u'\n')));
        QCOMPARE(runner.exitCode(), 0);

        std::int32_t total = 0;
        const auto last = decodePieces(pieces, total);
        QCOMPARE(total, 10);  // 9.6 s plus the MP3's padding, to the nearest second
        // How the progress lines fall into pieces depends on timing; that some
        // are shown, and that none runs past the full bar, does not.
        QVERIFY(last.has_value());
        QVERIFY(last->barWidthTwips <= DecodeBarFullWidth);
        QVERIFY(last->label.endsWith(u'%'));
    }
};

QTEST_GUILESS_MAIN(ProgressReportTest)
#include "test_progress_report.moc"
