// The pure parts of shaping and naming a ringtone: the offered file name, the
// settings menu's fade and loudness choices, and the filter text of the cut.
#include "settings/ShapingChoices.h"
#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "pipeline/RingtoneName.h"

#include <QtTest>

class CutShapingTest : public QObject {
    Q_OBJECT

private slots:
    void offeredNames_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("source");
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<qint64>("endMs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("title") << "晴天" << "/m/07 track.mp3" << qint64(62500) << qint64(91999) << "晴天 1.02.500-1.31.999.mp3";
        QTest::newRow("no title: the file's name") << "" << "/m/Jay - 晴天.live.flac" << qint64(0) << qint64(9000)
                                                  << "Jay - 晴天.live 0.00-0.09.mp3";
        QTest::newRow("blank title") << "  " << "/m/song.wav" << qint64(59999) << qint64(60000) << "song 0.59.999-1.00.mp3";
        QTest::newRow("an hour in") << "x" << "" << qint64(3600000) << qint64(3725000) << "x 60.00-62.05.mp3";
        QTest::newRow("slashes are no folders") << "AC/DC \\ live" << "" << qint64(0) << qint64(1000)
                                                << "AC DC live 0.00-0.01.mp3";
        QTest::newRow("no hidden file") << "..hidden" << "" << qint64(0) << qint64(1000) << "hidden 0.00-0.01.mp3";
        QTest::newRow("control characters") << "a\tb\nc\x01" << "" << qint64(0) << qint64(1000) << "a b c 0.00-0.01.mp3";
        QTest::newRow("nothing at all") << "" << "" << qint64(0) << qint64(1000) << "ringtone 0.00-0.01.mp3";
        QTest::newRow("only dots") << "..." << "/m/..." << qint64(0) << qint64(1000) << "ringtone 0.00-0.01.mp3";
    }
    void offeredNames()
    {
        QFETCH(QString, title);
        QFETCH(QString, source);
        QFETCH(qint64, startMs);
        QFETCH(qint64, endMs);
        QFETCH(QString, expected);
        QCOMPARE(suggestedRingtoneName(title, source, Selection{startMs, endMs}, QStringLiteral("mp3")), expected);
    }

    // A file system takes 255 bytes of a name: a long title gives way, by
    // whole characters, and the stretch and extension stay.
    void longTitlesAreShortenedByWholeCharacters()
    {
        for (const QString &unit : {QStringLiteral("晴"), QStringLiteral("🎵"), QStringLiteral("a")}) {
            const QString name = suggestedRingtoneName(unit.repeated(300), {}, Selection{62000, 91000},
                                                       QStringLiteral("m4r"));
            QVERIFY2(name.toUtf8().size() <= 255, qPrintable(name));
            QVERIFY2(name.toUtf8().size() > 255 - 4 - unit.toUtf8().size(), qPrintable(name));  // no more cut than needed
            QVERIFY(name.endsWith(QStringLiteral(" 1.02-1.31.m4r")));
            QVERIFY(name.startsWith(unit));
            QCOMPARE(QString::fromUtf8(name.toUtf8()), name);  // no half characters
        }
    }

    void menuChoicesChangeTheShaping()
    {
        using namespace shaping_choice;
        CutShaping shaping;
        shaping = chosen(shaping, QStringLiteral("FadeIn1000"));
        QCOMPARE(shaping, (CutShaping{1000, 0, false}));
        QVERIFY(isOn(shaping, QStringLiteral("FadeIn1000")));
        QVERIFY(!isOn(shaping, QStringLiteral("FadeIn500")));
        QVERIFY(!isOn(shaping, QStringLiteral("FadeOut1000")));  // the same length of the other fade
        shaping = chosen(shaping, QStringLiteral("FadeOut3000"));
        shaping = chosen(shaping, QStringLiteral("FadeIn2000"));
        QCOMPARE(shaping, (CutShaping{2000, 3000, false}));
        shaping = chosen(shaping, QStringLiteral("FadeOut3000"));
        QCOMPARE(shaping, (CutShaping{2000, 0, false}));
        shaping = chosen(shaping, QStringLiteral("Normalize"));
        QVERIFY(shaping.normalize && isOn(shaping, QStringLiteral("Normalize")));
        shaping = chosen(shaping, QStringLiteral("Normalize"));
        QVERIFY(!shaping.normalize);
        // words of other items, or in another case, change nothing
        for (const char *word : {"Setting", "fadein500", "FadeIn750", "FadeIn", ""}) {
            QVERIFY(!isShapingWord(QLatin1String(word)));
            QCOMPARE(chosen(shaping, QLatin1String(word)), shaping);
        }
    }

    // The fades stand at the selection's place in the working WAV, at most its
    // length each; with nothing to shape there is no filter at all.
    void filterTextOfTheCut_data()
    {
        QTest::addColumn<qint64>("fadeIn");
        QTest::addColumn<qint64>("fadeOut");
        QTest::addColumn<QString>("loudness");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << qint64(0) << qint64(0) << "" << "";
        QTest::newRow("fade in") << qint64(500) << qint64(0) << ""
                                 << "afade=t=in:st=41.5:d=0.5";
        QTest::newRow("fade out") << qint64(0) << qint64(2000) << ""
                                  << "afade=t=out:st=48:d=2";
        QTest::newRow("both and loudness") << qint64(1000) << qint64(3000) << "volume=-3.20dB"
                                           << "afade=t=in:st=41.5:d=1,afade=t=out:st=47:d=3,volume=-3.20dB";
        QTest::newRow("longer than the selection") << qint64(10000) << qint64(10000) << ""
                                                   << "afade=t=in:st=41.5:d=8.5,afade=t=out:st=41.5:d=8.5";
        QTest::newRow("loudness only") << qint64(0) << qint64(0) << "volume=6.00dB" << "volume=6.00dB";
    }
    void filterTextOfTheCut()
    {
        QFETCH(qint64, fadeIn);
        QFETCH(qint64, fadeOut);
        QFETCH(QString, loudness);
        QFETCH(QString, expected);
        const Selection selection{41500, 50000};
        const QString filter = shapingFilter(selection, CutShaping{fadeIn, fadeOut, !loudness.isEmpty()}, loudness);
        QCOMPARE(filter, expected);

        Paths paths;
        paths.programFolder = QStringLiteral("/p");
        paths.workFolder = QStringLiteral("/w");
        const Command cut = CutCommand(paths, selection, QStringLiteral("/r/a.ogg"), filter);
        const qsizetype at = cut.arguments.indexOf(QStringLiteral("-af"));
        if (expected.isEmpty()) {
            QCOMPARE(at, -1);
        } else {
            // after the stretch, before the format's own options
            QCOMPARE(at, 6);
            QCOMPARE(cut.arguments.at(7), expected);
            QCOMPARE(cut.arguments.at(8), QStringLiteral("-y"));
        }
    }

    // The proof of a cut knows the new formats' codecs, and where a format
    // fixes the rate and channels, a file at others is not the ringtone asked for.
    void proofOfTheNewFormats()
    {
        const QString aac = QStringLiteral("codec_name=aac\ncodec_type=audio\nsample_rate=44100\nchannels=2\nduration=6.01\ndecoded_duration=6.010000\n");
        QCOMPARE(cutProblem(parseProbe(aac), QStringLiteral("M4R"), 6.0), QString());
        QCOMPARE(cutProblem(parseProbe(aac), QStringLiteral("M4A"), 6.0), QString());
        QVERIFY(!cutProblem(parseProbe(aac), QStringLiteral("OGG"), 6.0).isEmpty());
        QVERIFY(!cutProblem(parseProbe(QString(aac).replace(QStringLiteral("44100"), QStringLiteral("22050"))),
                            QStringLiteral("M4R"), 6.0).isEmpty());
        QVERIFY(!cutProblem(parseProbe(QString(aac).replace(QStringLiteral("channels=2"), QStringLiteral("channels=1"))),
                            QStringLiteral("M4R"), 6.0).isEmpty());
        // WAV keeps the working WAV's rate and channels, whatever they are
        const QString wav = QStringLiteral("codec_name=pcm_s16le\ncodec_type=audio\nsample_rate=22050\nchannels=1\nduration=6\ndecoded_duration=6.000000\n");
        QCOMPARE(cutProblem(parseProbe(wav), QStringLiteral("WAV"), 6.0), QString());
        const QString vorbis = QStringLiteral("codec_name=vorbis\ncodec_type=audio\nsample_rate=44100\nchannels=2\nduration=5.99\ndecoded_duration=5.990000\n");
        QCOMPARE(cutProblem(parseProbe(vorbis), QStringLiteral("OGG"), 6.0), QString());
    }
};

QTEST_GUILESS_MAIN(CutShapingTest)
#include "test_cut_shaping.moc"
