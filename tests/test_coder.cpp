#include "pipeline/CommandLines.h"
#include "pipeline/DOSOutputs.h"

#include "support/Media.h"
#include "support/RecordingMessages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>

namespace {

// Every character a user's file name may bring that a shell or ffmpeg could
// take for something else.
const QString AwkwardName = QStringLiteral("my 'ring\" a:b 铃声");

struct AdapterRun {
    QString output;
    bool started = false;
    bool exitedNormally = false;
    int exitCode = -1;
    int overCount = 0;
    QStringList messages;
};

AdapterRun runAdapter(const Command &command)
{
    RecordingMessages messages;
    DOSOutputs runner(messages);
    AdapterRun run;
    QObject::connect(&runner, &DOSOutputs::CommandOver, [&] { ++run.overCount; });
    run.output = runner.ExecuteCommand(command);
    run.started = runner.lastStarted();
    run.exitedNormally = runner.exitedNormally();
    run.exitCode = runner.exitCode();
    run.messages = messages.texts();
    return run;
}

Command adapterWith(const QStringList &arguments)
{
    return Command{media::adapterPath(), arguments};
}

// A stand-in for ffmpeg: a script given as BRINDLEWAVE_FFMPEG for one test.
class FakeFfmpeg {
public:
    FakeFfmpeg(const QTemporaryDir &folder, const QByteArray &body)
        : m_path(folder.filePath(QStringLiteral("fake ffmpeg")))
    {
        QFile script(m_path);
        m_ok = script.open(QIODevice::WriteOnly)
            && script.write("#!/bin/sh\n" + body + "\n") > 0;
        script.close();
        m_ok = m_ok && script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(m_path));
    }
    ~FakeFfmpeg() { qunsetenv("BRINDLEWAVE_FFMPEG"); }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

bool processIsGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) == "Z";
}

}  // namespace

class CoderTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cutCommandLines_data();
    void cutCommandLines();
    void decodeThroughRunner_data();
    void decodeThroughRunner();
    void cutIntoEveryFormat_data();
    void cutIntoEveryFormat();
    void unreadableInputsFail_data();
    void unreadableInputsFail();
    void missingFfmpegSaysSoOnce();
    void argumentsAreMended_data();
    void argumentsAreMended();
    void progressTimesBecomeSeconds();
    void missingEncoderIsNamed_data();
    void missingEncoderIsNamed();
    void exitStatusPassesThrough_data();
    void exitStatusPassesThrough();
    void stopReachesFfmpeg();
    void ffmpegDiesWithTheAdapter();

private:
    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/bw coder 'x\" 测试 XXXXXX")};
    Paths m_paths;
};

void CoderTest::initTestCase()
{
    QString why;
    if (!media::toolsAvailable(&why))
        QFAIL(qPrintable(why));
    QVERIFY2(QFileInfo(media::adapterPath()).isExecutable(), qPrintable(media::adapterPath()));
    QVERIFY(m_folder.isValid());
    m_paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
    m_paths.workFolder = m_folder.filePath(QStringLiteral("work:dir"));
    QVERIFY(m_paths.ensureWorkFolder());
}

void CoderTest::cutCommandLines_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("options");

    const QStringList mp3{"-y", "-ab", "320k", "-ar", "48000", "-ac", "2"};
    QTest::newRow("mp3") << "/home/u/ring.mp3" << "MP3" << mp3;
    QTest::newRow("mixed case") << "/home/u/ring.Mp3" << "MP3" << mp3;
    QTest::newRow("blanks around") << "  /home/u/ring.wma  " << "WMA" << QStringList{"-y", "-acodec", "wmav1"};
    QTest::newRow("wav") << "/home/u/ring.WAV" << "WAV" << QStringList{"-y"};
    QTest::newRow("amr") << "/home/u/ring.amr" << "AMR"
                         << QStringList{"-y", "-ar", "8000", "-ab", "7.4k", "-ac", "1"};
    QTest::newRow("only the last three characters count") << "/home/u/ringmp3" << "MP3" << mp3;
    QTest::newRow("ogg") << "/home/u/ring.ogg" << "" << QStringList{};
    QTest::newRow("no extension") << "/home/u/ring" << "" << QStringList{};
    QTest::newRow("tab is no blank") << "/home/u/ring.mp3\t" << "" << QStringList{};
    QTest::newRow("empty") << "" << "" << QStringList{};
}

void CoderTest::cutCommandLines()
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
    const QStringList expected = QStringList{"-i", m_paths.workWav(), "-ss", "30", "-t", "25"}
                               + options + QStringList{destination};
    QCOMPARE(cut.arguments, expected);
}

void CoderTest::decodeThroughRunner_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("seconds");
    QTest::newRow("stereo mp3") << "mp3" << 8.4;
    QTest::newRow("video with sound") << "mp4" << 6.0;
}

void CoderTest::decodeThroughRunner()
{
    QFETCH(QString, kind);
    QFETCH(double, seconds);

    const QString source = m_folder.filePath(AwkwardName + u'.' + kind);
    QVERIFY(kind == u"mp3" ? media::makeStereoMp3(source, seconds)
                           : media::makeVideoWithSound(source, seconds));
    QFile::remove(m_paths.workWav());

    const AdapterRun run = runAdapter(DecodeCommand(m_paths, source));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    QVERIFY(run.exitedNormally);
    QCOMPARE(run.overCount, 1);
    QVERIFY(run.messages.isEmpty());

    const media::AudioInfo wav = media::probe(m_paths.workWav());
    QVERIFY2(wav.valid, qPrintable(wav.error));
    QCOMPARE(wav.codec, QStringLiteral("pcm_s16le"));
    QCOMPARE(wav.channels, 2);
    QVERIFY2(qAbs(wav.duration - seconds) <= 0.1, qPrintable(QString::number(wav.duration)));

    // What the progress routine reads: the duration line and plain-second times.
    QVERIFY(run.output.contains(QStringLiteral("Duration: 00:00:0")));
    QVERIFY(run.output.contains(QRegularExpression(QStringLiteral("time=\\d+\\.\\d+ "))));
    QVERIFY(!run.output.contains(QRegularExpression(QStringLiteral("time=-?\\d+:"))));
}

void CoderTest::cutIntoEveryFormat_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<qint64>("bitRate");  // 0: the options leave it to the encoder

    const int sourceRate = 44100;
    QTest::newRow("MP3") << "mp3" << "mp3" << 48000 << 2 << qint64(320000);
    QTest::newRow("WMA") << "wma" << "wmav1" << sourceRate << 2 << qint64(0);
    QTest::newRow("WAV") << "WAV" << "pcm_s16le" << sourceRate << 2 << qint64(0);
    // The 7.4 kbit/s mode sends 20-byte frames every 20 ms, which ffprobe
    // reports as 8,000 bit/s; the next mode up would give 10,400.
    QTest::newRow("AMR") << "amr" << "amr_nb" << 8000 << 1 << qint64(8000);
}

void CoderTest::cutIntoEveryFormat()
{
    QFETCH(QString, extension);
    QFETCH(QString, codec);
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    QFETCH(qint64, bitRate);

    QVERIFY(media::makeWav(m_paths.workWav(), 12.0, 44100));
    const QString destination = m_folder.filePath(AwkwardName + u'.' + extension);
    const std::int32_t selStart = 3;
    const std::int32_t selEnd = 8;

    const AdapterRun run = runAdapter(CutCommand(m_paths, selStart, selEnd, destination));
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    QCOMPARE(run.overCount, 1);

    const media::AudioInfo cut = media::probe(destination);
    QVERIFY2(cut.valid, qPrintable(cut.error));
    QCOMPARE(cut.codec, codec);
    QCOMPARE(cut.sampleRate, sampleRate);
    QCOMPARE(cut.channels, channels);
    if (bitRate > 0)
        QCOMPARE(cut.bitRate, bitRate);
    QVERIFY2(qAbs(cut.duration - (selEnd - selStart)) <= 0.1,
             qPrintable(QString::number(cut.duration)));
}

void CoderTest::unreadableInputsFail_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not media") << "text";
    QTest::newRow("truncated mp3") << "truncated";
}

void CoderTest::unreadableInputsFail()
{
    QFETCH(QString, kind);

    const QString source = m_folder.filePath(AwkwardName + QStringLiteral(" broken.mp3"));
    if (kind == u"text") {
        QFile text(source);
        QVERIFY(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
        text.write("This is a shopping list, not a song.\nmilk\neggs\n");
    } else {
        // ffmpeg calls a file cut short after some whole frames a success (it
        // decodes what is there); one cut inside its first frames holds no
        // audio at all. 1,000 bytes is less than tag, info frame and one
        // 192 kbit/s frame together.
        const QString whole = m_folder.filePath(QStringLiteral("whole.mp3"));
        QVERIFY(media::makeStereoMp3(whole, 5.0));
        QVERIFY(media::writeTruncatedCopy(whole, source, 1000));
    }

    const AdapterRun run = runAdapter(DecodeCommand(m_paths, source));
    QVERIFY(run.started);
    QCOMPARE(run.overCount, 1);
    QVERIFY(run.exitedNormally);
    QVERIFY2(run.exitCode != 0, qPrintable(run.output));
    QVERIFY(run.messages.isEmpty());
}

void CoderTest::missingFfmpegSaysSoOnce()
{
    const QString missing = m_folder.filePath(QStringLiteral("no ffmpeg here"));
    qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(missing));
    const AdapterRun run = runAdapter(adapterWith({"-i", "x.mp3", "-y", "x.wav"}));
    qunsetenv("BRINDLEWAVE_FFMPEG");

    QCOMPARE(run.exitCode, 127);
    QCOMPARE(run.output.count(u'\n'), 1);
    QVERIFY(run.output.endsWith(u'\n'));
    QVERIFY(run.output.startsWith(QStringLiteral("coder: ffmpeg was not found")));
    QVERIFY(run.output.contains(missing));
}

void CoderTest::argumentsAreMended_data()
{
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("received");

    const QString awkward = QStringLiteral("/m/") + AwkwardName + QStringLiteral(".mp3");
    QTest::newRow("plain paths") << QStringList{"-i", "/m/a.mp3", "-y", "-vn", "/w/open.WAV"}
                                 << QStringList{"-nostdin", "-i", "/m/a.mp3", "-y", "-vn",
                                                "-rf64", "auto", "/w/open.WAV"};
    QTest::newRow("colon in both paths") << QStringList{"-i", awkward, "-y", "/w:x/r.mp3"}
                                         << QStringList{"-nostdin", "-i", "file:" + awkward,
                                                        "-y", "file:/w:x/r.mp3"};
    QTest::newRow("leading dash") << QStringList{"-i", "-a.mp3", "-y", "-b.wav"}
                                  << QStringList{"-nostdin", "-i", "file:-a.mp3", "-y", "-rf64",
                                                 "auto", "file:-b.wav"};
    QTest::newRow("two inputs") << QStringList{"-i", "a:1.mp3", "-i", "b.mp3", "c.amr"}
                                << QStringList{"-nostdin", "-i", "file:a:1.mp3", "-i", "b.mp3",
                                               "c.amr"};
    QTest::newRow("no input, no output") << QStringList{"-version"}
                                         << QStringList{"-nostdin", "-version"};
}

void CoderTest::argumentsAreMended()
{
    QFETCH(QStringList, given);
    QFETCH(QStringList, received);

    FakeFfmpeg fake(m_folder, "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done");
    QVERIFY(fake.ok());
    const AdapterRun run = runAdapter(adapterWith(given));
    QCOMPARE(run.exitCode, 0);
    QStringList seen;
    for (const QString &line : run.output.split(u'\n', Qt::SkipEmptyParts))
        seen.append(line.mid(1, line.size() - 2));
    QCOMPARE(seen, received);
}

void CoderTest::progressTimesBecomeSeconds()
{
    FakeFfmpeg fake(m_folder,
                    "printf '  Duration: 00:03:25.12, start: 0.000000, bitrate: 320 kb/s\\n'\n"
                    "printf 'size=    1kB time=00:01:02.50 bitrate= 1.0kbits/s speed=1x    \\r'\n"
                    "printf 'size=    1kB time=-00:00:00.02 bitrate=N/A\\r'\n"
                    "printf 'size=    1kB time=N/A bitrate=N/A\\r'\n"
                    "printf 'size=    2kB time=12:00:00.5 bitrate=1\\r'\n"
                    "printf 'size=    3kB time=00:00:07.25'\n");
    QVERIFY(fake.ok());
    const AdapterRun run = runAdapter(adapterWith({"-i", "a.mp3", "-y", "a.wav"}));
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.output,
             QStringLiteral("  Duration: 00:03:25.12, start: 0.000000, bitrate: 320 kb/s\n"
                            "size=    1kB time=62.50 bitrate= 1.0kbits/s speed=1x    \r"
                            "size=    1kB time=-0.02 bitrate=N/A\r"
                            "size=    1kB time=N/A bitrate=N/A\r"
                            "size=    2kB time=43200.5 bitrate=1\r"
                            "size=    3kB time=7.25"));
}

void CoderTest::missingEncoderIsNamed_data()
{
    QTest::addColumn<QByteArray>("fake");  // empty: the real ffmpeg
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("real ffmpeg, unknown encoder")
        << QByteArray() << QStringList{"-acodec", "brindlewave-no-such-codec"};
    QTest::newRow("default encoder disabled")
        << QByteArray("echo 'Automatic encoder selection failed for output stream #0:0. Default "
                      "encoder for format amr (codec amr_nb) is probably disabled. Please choose "
                      "an encoder manually.'; exit 1")
        << QStringList{"-ar", "8000"};
    QTest::newRow("complaint but success status")
        << QByteArray("echo \"Unknown encoder 'libopencore_amrnb'\"; exit 0") << QStringList{};
}

void CoderTest::missingEncoderIsNamed()
{
    QFETCH(QByteArray, fake);
    QFETCH(QStringList, arguments);

    std::unique_ptr<FakeFfmpeg> standIn;
    if (!fake.isEmpty())
        standIn = std::make_unique<FakeFfmpeg>(m_folder, fake);
    QVERIFY(media::makeWav(m_paths.workWav(), 1.0));
    const AdapterRun run = runAdapter(
        adapterWith(QStringList{"-i", m_paths.workWav(), "-y"} + arguments
                    + QStringList{m_folder.filePath(QStringLiteral("ring.amr"))}));
    QVERIFY(run.exitCode != 0);
    QCOMPARE(run.output.count(QStringLiteral("libavcodec-extra")), 1);
}

void CoderTest::exitStatusPassesThrough_data()
{
    QTest::addColumn<QByteArray>("fake");
    QTest::addColumn<int>("code");
    QTest::newRow("success") << QByteArray("exit 0") << 0;
    QTest::newRow("failure") << QByteArray("exit 7") << 7;
    QTest::newRow("killed by a signal") << QByteArray("kill -KILL $$") << 128 + SIGKILL;
}

void CoderTest::exitStatusPassesThrough()
{
    QFETCH(QByteArray, fake);
    QFETCH(int, code);
    FakeFfmpeg standIn(m_folder, fake);
    QVERIFY(standIn.ok());
    const AdapterRun run = runAdapter(adapterWith({"-i", "a.mp3", "a.wav"}));
    QVERIFY(run.exitedNormally);
    QCOMPARE(run.exitCode, code);
}

void CoderTest::stopReachesFfmpeg()
{
    FakeFfmpeg fake(m_folder, "echo $$; exec sleep 60");
    QVERIFY(fake.ok());
    RecordingMessages messages;
    DOSOutputs runner(messages);
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, &runner, [&] { runner.stop(); },
                     Qt::QueuedConnection);
    const QString output = runner.ExecuteCommand(adapterWith({"-i", "a.mp3", "a.wav"}));
    const pid_t ffmpeg = output.trimmed().toInt();
    QVERIFY(ffmpeg > 0);
    QVERIFY(processIsGone(ffmpeg));
    // The adapter lived to pass on ffmpeg's end, as 128 + SIGTERM.
    QVERIFY(runner.exitedNormally());
    QCOMPARE(runner.exitCode(), 128 + SIGTERM);
}

void CoderTest::ffmpegDiesWithTheAdapter()
{
    // ffmpeg reports its own pid and the adapter's; the adapter is then killed
    // outright, with no chance to pass anything on.
    FakeFfmpeg fake(m_folder, "echo $$ $PPID; exec sleep 60");
    QVERIFY(fake.ok());
    RecordingMessages messages;
    DOSOutputs runner(messages);
    pid_t ffmpeg = -1;
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [&](const QString &piece) {
        const QStringList pids = piece.split(u' ');
        if (pids.size() != 2 || ffmpeg > 0)
            return;
        ffmpeg = pids[0].toInt();
        ::kill(pids[1].trimmed().toInt(), SIGKILL);
    });
    runner.ExecuteCommand(adapterWith({"-i", "a.mp3", "a.wav"}));
    QVERIFY(ffmpeg > 0);
    QCOMPARE(runner.exitCode(), 128 + SIGKILL);
    QTRY_VERIFY_WITH_TIMEOUT(processIsGone(ffmpeg), 5000);
}

QTEST_GUILESS_MAIN(CoderTest)
#include "test_coder.moc"
