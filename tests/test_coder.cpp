#include "pipeline/CommandLines.h"
#include "pipeline/DOSOutputs.h"

#include "support/Media.h"
#include "support/RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

// Every character a user's file name may bring that a shell or ffmpeg could
// take for something else.
const QString AwkwardName = QStringLiteral("my 'ring\" a:b 铃声");

Command adapterWith(const QStringList &arguments)
{
    return Command{media::adapterPath(), arguments};
}

}  // namespace

class CoderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/bw coder 'x\" 测试 XXXXXX")};
    Paths m_paths;
    RecordingMessages m_messages;
    DOSOutputs m_runner{m_messages};
    int m_overs = 0;  // CommandOver events in the current test

    // A script in ffmpeg's place for the current test; cleanup() takes it away.
    bool fakeFfmpeg(const QByteArray &body)
    {
        QFile script(m_folder.filePath(QStringLiteral("fake ffmpeg")));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(script.fileName()));
        if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body + "\n") <= 0)
            return false;
        script.close();
        return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!media::toolsAvailable(&why))
            QFAIL(qPrintable(why));
        QVERIFY2(QFileInfo(media::adapterPath()).isExecutable(), qPrintable(media::adapterPath()));
        QVERIFY(m_folder.isValid());
        m_paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
        m_paths.workFolder = m_folder.filePath(QStringLiteral("work:dir"));
        QVERIFY(m_paths.ensureWorkFolder());
        connect(&m_runner, &DOSOutputs::CommandOver, this, [this] { ++m_overs; });
    }

    void init()
    {
        m_overs = 0;
        m_messages.clear();
    }

    void cleanup() { qunsetenv("BRINDLEWAVE_FFMPEG"); }

    void cutCommandLines_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");

        const QStringList mp3{"-y", "-ab", "320k", "-ar", "48000", "-ac", "2"};
        QTest::newRow("mp3") << "/home/u/ring.mp3" << "MP3" << mp3;
        QTest::newRow("mixed case") << "/home/u/ring.Mp3" << "MP3" << mp3;
        QTest::newRow("blanks around") << "  /u/ring.wma  " << "WMA" << QStringList{"-y", "-acodec", "wmav1"};
        QTest::newRow("only the last three characters count") << "/home/u/ringmp3" << "MP3" << mp3;
        QTest::newRow("ogg") << "/home/u/ring.ogg" << "" << QStringList{};
        QTest::newRow("no extension") << "/home/u/ring" << "" << QStringList{};
        QTest::newRow("empty") << "" << "" << QStringList{};
    }

    void cutCommandLines()
    {
        QFETCH(QString, destination);
        QFETCH(QString, format);
        QFETCH(QStringList, options);

        QCOMPARE(cutFormatOf(destination), format);
        const Command cut = CutCommand(m_paths, 30, 55, destination);
        if (format.isEmpty()) {
            QVERIFY(cut.isEmpty());
            return;
        }
        QCOMPARE(cut.program, m_paths.coder());
        QCOMPARE(cut.arguments, QStringList({"-i", m_paths.workWav(), "-ss", "30", "-t", "25"})
                                    + options + QStringList{destination});
    }

    void decodeThroughRunner_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("seconds");  // 0: not decodable
        QTest::newRow("stereo mp3") << "mp3" << 8.4;
        QTest::newRow("video with sound") << "mp4" << 6.0;
        QTest::newRow("not media") << "text.mp3" << 0.0;
        // ffmpeg decodes what there is of a file cut after some whole frames;
        // 1,000 bytes is less than tag, info frame and one 192 kbit/s frame.
        QTest::newRow("truncated mp3") << "cut.mp3" << 0.0;
    }

    void decodeThroughRunner()
    {
        QFETCH(QString, kind);
        QFETCH(double, seconds);

        const QString source = m_folder.filePath(AwkwardName + u'.' + kind);
        const QString whole = m_folder.filePath(QStringLiteral("whole.mp3"));
        QFile text(source);
        if (kind == u"mp3")
            QVERIFY(media::makeStereoMp3(source, seconds));
        else if (kind == u"mp4")
            QVERIFY(media::makeVideoWithSound(source, seconds));
        else if (kind == u"text.mp3")
            QVERIFY(text.open(QIODevice::WriteOnly) && text.write("A shopping list: milk, eggs\n") > 0);
        else
            QVERIFY(media::makeStereoMp3(whole, 5.0) && media::writeTruncatedCopy(whole, source, 1000));
        text.close();
        QFile::remove(m_paths.workWav());

        const QString output = m_runner.ExecuteCommand(DecodeCommand(m_paths, source));
        QVERIFY(m_runner.exitedNormally());
        QCOMPARE(m_overs, 1);
        QVERIFY(m_messages.isEmpty());
        if (seconds == 0) {
            QVERIFY2(m_runner.exitCode() != 0, qPrintable(output));
            return;
        }
        QVERIFY2(m_runner.exitCode() == 0, qPrintable(output));
        const media::AudioInfo wav = media::probe(m_paths.workWav());
        QVERIFY2(wav.valid, qPrintable(wav.error));
        QCOMPARE(wav.codec, QStringLiteral("pcm_s16le"));
        QCOMPARE(wav.channels, 2);
        QVERIFY2(qAbs(wav.duration - seconds) <= 0.1, qPrintable(QString::number(wav.duration)));
        // What the progress routine reads: the duration line and plain-second times.
        QVERIFY(output.contains(QStringLiteral("Duration: 00:00:0")));
        QVERIFY(output.contains(QRegularExpression(QStringLiteral("time=\\d+\\.\\d+ "))));
        QVERIFY(!output.contains(QRegularExpression(QStringLiteral("time=-?\\d+:"))));
    }

    void cutIntoEveryFormat_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<qint64>("bitRate");  // 0: the options leave it to the encoder

        QTest::newRow("MP3") << "mp3" << "mp3" << 48000 << 2 << qint64(320000);
        QTest::newRow("WMA") << "wma" << "wmav1" << 44100 << 2 << qint64(0);
        QTest::newRow("WAV") << "WAV" << "pcm_s16le" << 44100 << 2 << qint64(0);
        // The 7.4 kbit/s mode sends 20-byte frames every 20 ms, which ffprobe
        // reports as 8,000 bit/s; the next mode up would give 10,400.
        QTest::newRow("AMR") << "amr" << "amr_nb" << 8000 << 1 << qint64(8000);
    }

    void cutIntoEveryFormat()
    {
        QFETCH(QString, extension);
        QFETCH(QString, codec);
        QFETCH(int, sampleRate);
        QFETCH(int, channels);
        QFETCH(qint64, bitRate);

        QVERIFY(media::makeWav(m_paths.workWav(), 12.0, 44100));
        const QString destination = m_folder.filePath(AwkwardName + u'.' + extension);
        const QString output = m_runner.ExecuteCommand(CutCommand(m_paths, 3, 8, destination));
        QVERIFY2(m_runner.exitCode() == 0, qPrintable(output));
        QCOMPARE(m_overs, 1);

        const media::AudioInfo cut = media::probe(destination);
        QVERIFY2(cut.valid, qPrintable(cut.error));
        QCOMPARE(cut.codec, codec);
        QCOMPARE(cut.sampleRate, sampleRate);
        QCOMPARE(cut.channels, channels);
        if (bitRate > 0)
            QCOMPARE(cut.bitRate, bitRate);
        QVERIFY2(qAbs(cut.duration - 5) <= 0.1, qPrintable(QString::number(cut.duration)));
    }

    void missingFfmpegSaysSoOnce()
    {
        const QString missing = m_folder.filePath(QStringLiteral("no ffmpeg here"));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(missing));
        const QString output = m_runner.ExecuteCommand(adapterWith({"-i", "x.mp3", "-y", "x.wav"}));
        QCOMPARE(m_runner.exitCode(), 127);
        QCOMPARE(output.count(u'\n'), 1);
        QVERIFY(output.endsWith(u'\n'));
        QVERIFY(output.startsWith(QStringLiteral("coder: ffmpeg was not found")));
        QVERIFY(output.contains(missing));
    }

    void argumentsAreMended_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("received");

        QTest::newRow("plain paths") << QStringList{"-i", "/m/a.mp3", "-y", "-vn", "/w/open.WAV"}
                                     << QStringList{"-nostdin", "-i", "/m/a.mp3", "-y", "-vn",
                                                    "-rf64", "auto", "/w/open.WAV"};
        // the user's WAV is a plain RIFF file; only the working WAV may grow past 4 GiB
        QTest::newRow("cut to a WAV") << QStringList{"-i", "/w/open.wav", "-ss", "4", "-t", "6", "-y", "/m/r.wav"}
                                      << QStringList{"-nostdin", "-i", "/w/open.wav", "-ss", "4", "-t", "6",
                                                     "-y", "/m/r.wav"};
        QTest::newRow("leading dash, colon") << QStringList{"-i", "-a.mp3", "-y", "/w:x/r.mp3"}
                                             << QStringList{"-nostdin", "-i", "file:-a.mp3", "-y",
                                                            "file:/w:x/r.mp3"};
    }

    void argumentsAreMended()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, received);

        QVERIFY(fakeFfmpeg("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done"));
        const QString output = m_runner.ExecuteCommand(adapterWith(given));
        QCOMPARE(m_runner.exitCode(), 0);
        QStringList seen;
        for (const QString &line : output.split(u'\n', Qt::SkipEmptyParts))
            seen.append(line.mid(1, line.size() - 2));
        QCOMPARE(seen, received);
    }

    void progressTimesBecomeSeconds()
    {
        QVERIFY(fakeFfmpeg("printf '  Duration: 00:03:25.12, start: 0.000000, bitrate: 320 kb/s\\n'\n"
                        "printf 'size=    1kB time=00:01:02.50 bitrate= 1.0kbits/s speed=1x    \\r'\n"
                        "printf 'size=    1kB time=-00:00:00.02 bitrate=N/A\\r'\n"
                        "printf 'size=    1kB time=N/A bitrate=N/A\\r'\n"
                        "printf 'size=    2kB time=12:00:00.5 bitrate=1\\r'\n"
                        "printf 'size=    3kB time=00:00:07.25'\n"));
        const QString output = m_runner.ExecuteCommand(adapterWith({"-i", "a.mp3", "-y", "a.wav"}));
        QCOMPARE(m_runner.exitCode(), 0);
        QCOMPARE(output,
                 QStringLiteral("  Duration: 00:03:25.12, start: 0.000000, bitrate: 320 kb/s\n"
                                "size=    1kB time=62.50 bitrate= 1.0kbits/s speed=1x    \r"
                                "size=    1kB time=-0.02 bitrate=N/A\r"
                                "size=    1kB time=N/A bitrate=N/A\r"
                                "size=    2kB time=43200.5 bitrate=1\r"
                                "size=    3kB time=7.25"));
    }

    void missingEncoderIsNamed()
    {
        // The real ffmpeg asked for an unknown encoder, then a stand-in saying
        // what ffmpeg says when its default AMR encoder is left out.
        const QByteArray disabled =
            "echo 'Automatic encoder selection failed for output stream #0:0. Default encoder for "
            "format amr (codec amr_nb) is probably disabled. Please choose an encoder manually.'; exit 1";
        QVERIFY(media::makeWav(m_paths.workWav(), 1.0));
        for (const QByteArray &fake : {QByteArray(), disabled}) {
            QVERIFY(fake.isEmpty() || fakeFfmpeg(fake));
            const QString output = m_runner.ExecuteCommand(
                adapterWith({"-i", m_paths.workWav(), "-y", "-acodec", "brindlewave-no-such-codec",
                             m_folder.filePath(QStringLiteral("ring.amr"))}));
            QVERIFY(m_runner.exitCode() != 0);
            QCOMPARE(output.count(QStringLiteral("libavcodec-extra")), 1);
        }
    }

    // How ffmpeg ended reaches the caller; a stopped or killed adapter takes
    // ffmpeg with it, so no orphan keeps writing.
    void ffmpegsEndReachesTheCaller_data()
    {
        QTest::addColumn<QByteArray>("fake");
        QTest::addColumn<QString>("end");  // what the test does once ffmpeg runs
        QTest::addColumn<bool>("normal");
        QTest::addColumn<int>("code");

        const QByteArray waits = "echo $$ $PPID; exec sleep 60";  // ffmpeg's pid, the adapter's
        QTest::newRow("failure") << QByteArray("exit 7") << "" << true << 7;
        QTest::newRow("killed by a signal") << QByteArray("kill -KILL $$") << "" << true << 128 + SIGKILL;
        QTest::newRow("runner stops") << waits << "stop" << true << 128 + SIGTERM;
        QTest::newRow("adapter killed") << waits << "kill" << false << 128 + SIGKILL;
    }

    void ffmpegsEndReachesTheCaller()
    {
        QFETCH(QByteArray, fake);
        QFETCH(QString, end);
        QFETCH(bool, normal);
        QFETCH(int, code);

        QVERIFY(fakeFfmpeg(fake));
        QObject context;  // the connection ends with this test
        pid_t ffmpeg = -1;
        connect(&m_runner, &DOSOutputs::ReceiveOutputs, &context, [&](const QString &piece) {
            const QStringList pids = piece.trimmed().split(u' ');
            if (pids.size() != 2 || ffmpeg > 0)
                return;
            ffmpeg = pids[0].toInt();
            if (end == u"stop")
                QTimer::singleShot(0, &context, [this] { m_runner.stop(); });
            else
                ::kill(pids[1].toInt(), SIGKILL);  // no chance to pass anything on
        });
        m_runner.ExecuteCommand(adapterWith({"-i", "a.mp3", "a.wav"}));
        QCOMPARE(m_runner.exitedNormally(), normal);
        QCOMPARE(m_runner.exitCode(), code);
        if (end.isEmpty())
            return;
        QVERIFY(ffmpeg > 0);
        if (end == u"stop")  // the adapter waited for ffmpeg before it ended
            QVERIFY(media::processIsGone(ffmpeg));
        else
            QTRY_VERIFY_WITH_TIMEOUT(media::processIsGone(ffmpeg), 5000);
    }
};

QTEST_GUILESS_MAIN(CoderTest)
#include "test_coder.moc"
