#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "model/CutFormats.h"
#include "pipeline/ProcessRunner.h"

#include "support/Media.h"
#include "support/RunToEnd.h"
#include "support/RecordingMessages.h"

#include "ConsoleRewriter.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <string>
#include <tuple>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every character a user's file name may bring that a shell or ffmpeg could
// take for something else.
const QString AwkwardName = QStringLiteral("my 'ring\" a:b 铃声");

Command adapterWith(const QStringList &arguments)
{
    return Command{media::adapterPath(), arguments};
}

// What "coder --probe" passes to ffprobe before the file.
const QStringList ProbeOptions{"-v", "error", "-show_entries", "stream=codec_type,codec_name,sample_rate,channels",
                               "-show_entries", "format=duration", "-show_entries", "frame=nb_samples",
                               "-of", "default=noprint_wrappers=1"};

const QString FfprobeMissing =
    QStringLiteral("coder: ffprobe was not found; install the ffmpeg package or set BRINDLEWAVE_FFPROBE\n");

// An executable shell script at path.
bool writeScript(const QString &path, const QByteArray &body,
                 QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly) || script.write("#!/bin/sh\n" + body + "\n") <= 0)
        return false;
    script.close();
    return script.setPermissions(permissions);
}

// Runs the adapter with its stdout on a pipe whose reading end is already
// closed, and SIGPIPE at its default as a shell would leave it. Returns the
// raw wait status, or -1 when the adapter could not be started.
int runWithGoneReader(const QStringList &arguments)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    ::close(fds[0]);

    std::vector<std::string> words{QFile::encodeName(media::adapterPath()).toStdString()};
    for (const QString &a : arguments)
        words.push_back(QFile::encodeName(a).toStdString());
    std::vector<char *> argv;
    for (std::string &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    if (failed != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

// Makes path the current folder until the end of the scope.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString &path) : m_previous(QDir::currentPath()), m_changed(QDir::setCurrent(path)) {}
    ~CurrentFolder() { QDir::setCurrent(m_previous); }
    bool changed() const { return m_changed; }

private:
    QString m_previous;
    bool m_changed;
};

}  // namespace

class CoderTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/bw coder 'x\" 测试 XXXXXX")};
    Paths m_paths;
    RecordingMessages m_messages;
    ProcessRunner m_runner{m_messages};
    int m_overs = 0;  // finished events in the current test
    QByteArray m_path;  // PATH as the test started

    // A script in ffmpeg's place for the current test; cleanup() takes it away.
    bool fakeFfmpeg(const QByteArray &body)
    {
        const QString script = m_folder.filePath(QStringLiteral("fake ffmpeg"));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(script));
        return writeScript(script, body);
    }

    // The same in ffprobe's place, named by BRINDLEWAVE_FFPROBE.
    bool fakeFfprobe(const QByteArray &body)
    {
        const QString script = m_folder.filePath(QStringLiteral("fake ffprobe"));
        qputenv("BRINDLEWAVE_FFPROBE", QFile::encodeName(script));
        return writeScript(script, body);
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
        QVERIFY(m_paths.workFolderProblem().isEmpty());
        connect(&m_runner, &ProcessRunner::finished, this, [this] { ++m_overs; });
        m_path = qgetenv("PATH");
    }

    void init()
    {
        m_overs = 0;
        m_messages.clear();
    }

    void cleanup()
    {
        qunsetenv("BRINDLEWAVE_FFMPEG");
        qunsetenv("BRINDLEWAVE_FFPROBE");
        qputenv("PATH", m_path);
    }

    void cutCommandLines_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("format");

        QTest::newRow("mp3") << "/home/u/ring.mp3" << "MP3";
        QTest::newRow("mixed case") << "/home/u/ring.Mp3" << "MP3";
        QTest::newRow("blanks around") << "  /u/ring.wma  " << "WMA";
        QTest::newRow("only the last three characters count") << "/home/u/ringmp3" << "MP3";
        QTest::newRow("m4r") << "/home/u/ring.M4R" << "M4R";
        QTest::newRow("m4a") << "/home/u/ring.m4a" << "M4A";
        QTest::newRow("ogg") << "/home/u/ring.ogg" << "OGG";
        QTest::newRow("flac is not offered") << "/home/u/ring.flac" << "";
        QTest::newRow("no extension") << "/home/u/ring" << "";
        QTest::newRow("empty") << "" << "";
    }

    void cutCommandLines()
    {
        QFETCH(QString, destination);
        QFETCH(QString, format);

        QCOMPARE(cutFormatOf(destination), format);
        const Command cut = CutCommand(m_paths, Selection{30000, 55000}, destination);
        if (format.isEmpty()) {
            QVERIFY(cut.isEmpty());
            return;
        }
        QCOMPARE(cut.program, m_paths.coder());
        QCOMPARE(cut.arguments, QStringList({"-i", m_paths.workWav(), "-ss", "30", "-t", "25"})
                                    + cutFormatWithId(format)->options + QStringList{destination});
    }

    // The four formats ringtones have always been cut in keep their option sets.
    void theFirstFormatsKeepTheirOptions()
    {
        QCOMPARE(cutFormatWithId(QStringLiteral("MP3"))->options,
                 QStringList({"-y", "-ab", "320k", "-ar", "48000", "-ac", "2"}));
        QCOMPARE(cutFormatWithId(QStringLiteral("WMA"))->options, QStringList({"-y", "-acodec", "wmav1"}));
        QCOMPARE(cutFormatWithId(QStringLiteral("WAV"))->options, QStringList({"-y"}));
        QCOMPARE(cutFormatWithId(QStringLiteral("AMR"))->options,
                 QStringList({"-y", "-ar", "8000", "-ab", "7.4k", "-ac", "1"}));
    }

    // Whole seconds keep their plain text; fractions are decimal seconds.
    void cutTimesAreDecimalSeconds_data()
    {
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<qint64>("endMs");
        QTest::addColumn<QString>("ss");
        QTest::addColumn<QString>("t");
        QTest::newRow("whole") << qint64(30000) << qint64(55000) << "30" << "25";
        QTest::newRow("41.5 to 43") << qint64(41500) << qint64(43000) << "41.5" << "1.5";
        QTest::newRow("milliseconds") << qint64(1) << qint64(1250) << "0.001" << "1.249";
        QTest::newRow("tenths, no trailing zeros") << qint64(60100) << qint64(62000) << "60.1" << "1.9";
        QTest::newRow("an hour in") << qint64(3600000) << qint64(3630005) << "3600" << "30.005";
    }
    void cutTimesAreDecimalSeconds()
    {
        QFETCH(qint64, startMs);
        QFETCH(qint64, endMs);
        QFETCH(QString, ss);
        QFETCH(QString, t);
        const Command cut = CutCommand(m_paths, Selection{startMs, endMs}, QStringLiteral("/m/r.wav"));
        QCOMPARE(cut.arguments.mid(2, 4), (QStringList{"-ss", ss, "-t", t}));
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

        const QString output = runToEnd(m_runner, DecodeCommand(m_paths, source));
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

    // Every format of the program's own table, as the files it produces.
    void cutIntoEveryFormat_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<qint64>("bitRate");  // 0: the options leave it to the encoder
        QTest::addColumn<QString>("container");
        QTest::addColumn<double>("tolerance");  // of the duration, seconds

        // What a phone reads in each format: the container and, where the
        // options fix it, the bit rate. The 7.4 kbit/s AMR mode sends 20-byte
        // frames every 20 ms, which ffprobe reports as 8,000 bit/s.
        const QString mp4 = QStringLiteral("mov,mp4,m4a,3gp,3g2,mj2");
        const QHash<QString, std::tuple<qint64, QString, double>> expected{
            {QStringLiteral("MP3"), {320000, QStringLiteral("mp3"), 0.1}},
            {QStringLiteral("WMA"), {0, QStringLiteral("asf"), 0.1}},
            {QStringLiteral("WAV"), {0, QStringLiteral("wav"), 0.1}},
            {QStringLiteral("AMR"), {8000, QStringLiteral("amr"), 0.1}},
            {QStringLiteral("M4R"), {0, mp4, 0.05}},
            {QStringLiteral("OGG"), {0, QStringLiteral("ogg"), 0.05}},
            {QStringLiteral("M4A"), {0, mp4, 0.05}},
        };
        QCOMPARE(cutFormats().size(), expected.size());
        for (const CutFormat &format : cutFormats()) {
            QVERIFY2(expected.contains(format.id), qPrintable(format.id));
            const auto [bitRate, container, tolerance] = expected.value(format.id);
            // the working WAV is 44.1 kHz stereo, which a format that fixes neither keeps
            QTest::newRow(qPrintable(format.id))
                << (format.id == u"WAV" ? format.id : format.id.toLower()) << format.codec
                << (format.sampleRate ? format.sampleRate : 44100) << (format.channels ? format.channels : 2)
                << bitRate << container << tolerance;
        }
    }

    void cutIntoEveryFormat()
    {
        QFETCH(QString, extension);
        QFETCH(QString, codec);
        QFETCH(int, sampleRate);
        QFETCH(int, channels);
        QFETCH(qint64, bitRate);
        QFETCH(QString, container);
        QFETCH(double, tolerance);

        QVERIFY(media::makeWav(m_paths.workWav(), 12.0, 44100));
        const QString destination = m_folder.filePath(AwkwardName + u'.' + extension);
        const QString output = runToEnd(m_runner, CutCommand(m_paths, Selection{3000, 8000}, destination));
        QVERIFY2(m_runner.exitCode() == 0, qPrintable(output));
        QCOMPARE(m_overs, 1);

        const media::AudioInfo cut = media::probe(destination);
        QVERIFY2(cut.valid, qPrintable(cut.error));
        QCOMPARE(cut.codec, codec);
        QCOMPARE(cut.sampleRate, sampleRate);
        QCOMPARE(cut.channels, channels);
        if (bitRate > 0)
            QCOMPARE(cut.bitRate, bitRate);
        QCOMPARE(cut.container, container);
        if (codec == u"aac") {
            QCOMPARE(cut.profile, QStringLiteral("LC"));
            // 192 kbit/s asked; a steady tone may come out a little under it
            QVERIFY2(cut.bitRate > 120000 && cut.bitRate <= 200000, qPrintable(QString::number(cut.bitRate)));
        }
        if (codec == u"vorbis")  // "about 160 kbit/s"
            QVERIFY2(cut.bitRate >= 140000 && cut.bitRate <= 180000, qPrintable(QString::number(cut.bitRate)));
        QVERIFY2(qAbs(cut.duration - 5) <= tolerance, qPrintable(QString::number(cut.duration)));
    }

    void missingFfmpegSaysSoOnce()
    {
        const QString missing = m_folder.filePath(QStringLiteral("no ffmpeg here"));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(missing));
        const QString output = runToEnd(m_runner, adapterWith({"-i", "x.mp3", "-y", "x.wav"}));
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
                                     << QStringList{"-nostdin", "-hide_banner", "-i", "/m/a.mp3", "-y", "-vn",
                                                    "-rf64", "auto", "/w/open.WAV"};
        // the user's WAV is a plain RIFF file; only the working WAV may grow past 4 GiB
        QTest::newRow("cut to a WAV") << QStringList{"-i", "/w/open.wav", "-ss", "4", "-t", "6", "-y", "/m/r.wav"}
                                      << QStringList{"-nostdin", "-hide_banner", "-i", "/w/open.wav", "-ss", "4",
                                                     "-t", "6", "-y", "/m/r.wav"};
        QTest::newRow("leading dash, colon") << QStringList{"-i", "-a.mp3", "-y", "/w:x/r.mp3"}
                                             << QStringList{"-nostdin", "-hide_banner", "-i", "file:-a.mp3", "-y",
                                                            "file:/w:x/r.mp3"};
        // an informational call has no job whose output the banner could spoil
        QTest::newRow("no input") << QStringList{"-version"} << QStringList{"-nostdin", "-version"};
    }

    void argumentsAreMended()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, received);

        QVERIFY(fakeFfmpeg("for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done"));
        const QString output = runToEnd(m_runner, adapterWith(given));
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
        const QString output = runToEnd(m_runner, adapterWith({"-i", "a.mp3", "-y", "a.wav"}));
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
            const QString output = runToEnd(m_runner, 
                adapterWith({"-i", m_paths.workWav(), "-y", "-acodec", "brindlewave-no-such-codec",
                             m_folder.filePath(QStringLiteral("ring.amr"))}));
            QVERIFY(m_runner.exitCode() != 0);
            QCOMPARE(output.count(QStringLiteral("libavcodec-extra")), 1);
        }
    }

    // How ffmpeg (or ffprobe) ended reaches the caller; a stopped or killed
    // adapter takes the tool with it, so no orphan keeps writing.
    void ffmpegsEndReachesTheCaller_data()
    {
        QTest::addColumn<bool>("probe");
        QTest::addColumn<QByteArray>("fake");
        QTest::addColumn<QString>("end");  // what the test does once the tool runs
        QTest::addColumn<bool>("normal");
        QTest::addColumn<int>("code");

        const QByteArray waits = "echo $$ $PPID; exec sleep 60";  // the tool's pid, the adapter's
        for (const bool probe : {false, true}) {
            const char *tool = probe ? "ffprobe" : "ffmpeg";
            QTest::addRow("%s: failure", tool) << probe << QByteArray("exit 7") << "" << true << 7;
            QTest::addRow("%s: killed by a signal", tool)
                << probe << QByteArray("kill -KILL $$") << "" << true << 128 + SIGKILL;
            QTest::addRow("%s: runner stops", tool) << probe << waits << "stop" << true << 128 + SIGTERM;
            QTest::addRow("%s: adapter killed", tool) << probe << waits << "kill" << false << 128 + SIGKILL;
        }
    }

    void ffmpegsEndReachesTheCaller()
    {
        QFETCH(bool, probe);
        QFETCH(QByteArray, fake);
        QFETCH(QString, end);
        QFETCH(bool, normal);
        QFETCH(int, code);

        QVERIFY(probe ? fakeFfprobe(fake) : fakeFfmpeg(fake));
        QObject context;  // the connection ends with this test
        pid_t ffmpeg = -1;
        connect(&m_runner, &ProcessRunner::outputReceived, &context, [&](const QString &piece) {
            const QStringList pids = piece.trimmed().split(u' ');
            if (pids.size() != 2 || ffmpeg > 0)
                return;
            // Only two real process ids: kill() with 0 or -1 would hit far more
            // than the adapter.
            bool toolOk = false;
            bool adapterOk = false;
            const pid_t tool = pids[0].toInt(&toolOk);
            const pid_t adapter = pids[1].toInt(&adapterOk);
            if (!toolOk || !adapterOk || tool <= 1 || adapter <= 1)
                return;
            ffmpeg = tool;
            if (end == u"stop")
                QTimer::singleShot(0, &context, [this] { m_runner.stop(); });
            else
                ::kill(adapter, SIGKILL);  // no chance to pass anything on
        });
        runToEnd(m_runner, adapterWith(probe ? QStringList{"--probe", "a.mp3"}
                                                  : QStringList{"-i", "a.mp3", "a.wav"}));
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

    // A reader that goes away before the end (the program stopped listening)
    // leaves the adapter to finish normally with the tool's own status.
    void exitSurvivesAGoneReader_data()
    {
        QTest::addColumn<QString>("variable");  // names the fake tool
        QTest::addColumn<QByteArray>("fake");   // empty: the variable names no file
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");

        const QStringList cut{"-i", "a.mp3", "-y", "a.wav"};
        const QStringList probe{"--probe", "a.mp3"};
        QTest::newRow("ffmpeg says a little, fails")
            << "BRINDLEWAVE_FFMPEG"
            << QByteArray("printf 'size= 1kB time=00:00:01.00 \\r'; echo 'Conversion failed!'; exit 3")
            << cut << 3;
        // more than a pipe holds: the adapter keeps reading, so ffmpeg gets to its end
        QTest::newRow("ffmpeg says a lot, fails")
            << "BRINDLEWAVE_FFMPEG"
            << QByteArray("i=0; while [ $i -lt 4000 ]; do "
                          "echo 'size=   1kB time=00:00:01.00 bitrate=1.0kbits/s speed=1x'; "
                          "i=$((i+1)); done; exit 3")
            << cut << 3;
        QTest::newRow("ffmpeg missing") << "BRINDLEWAVE_FFMPEG" << QByteArray() << cut << 127;
        QTest::newRow("ffprobe says a little, fails")
            << "BRINDLEWAVE_FFPROBE" << QByteArray("echo 'a.mp3: Invalid data'; exit 3") << probe << 3;
        QTest::newRow("ffprobe missing") << "BRINDLEWAVE_FFPROBE" << QByteArray() << probe << 127;
        QTest::newRow("probe without a file") << "BRINDLEWAVE_FFPROBE" << QByteArray("exit 0")
                                              << QStringList{"--probe"} << 2;
    }

    void exitSurvivesAGoneReader()
    {
        QFETCH(QString, variable);
        QFETCH(QByteArray, fake);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);

        const QString tool = m_folder.filePath(QStringLiteral("gone reader tool"));
        QFile::remove(tool);
        QVERIFY(fake.isEmpty() || writeScript(tool, fake));
        qputenv(variable.toLatin1().constData(), QFile::encodeName(tool));

        const int status = runWithGoneReader(arguments);
        QVERIFY(status != -1);
        QVERIFY2(WIFEXITED(status),
                 qPrintable(QStringLiteral("ended by signal %1").arg(WIFSIGNALED(status) ? WTERMSIG(status) : -1)));
        QCOMPARE(WEXITSTATUS(status), code);
    }

    // A line that never ends is handed on in pieces once 64 KiB are pending,
    // or when the pipe goes quiet; no piece ends inside a progress time.
    void progressTimesStayWhole_data()
    {
        QTest::addColumn<bool>("quiet");       // flushed by a quiet pipe, else by 64 KiB pending
        QTest::addColumn<QByteArray>("line");  // as ffmpeg writes it
        QTest::addColumn<int>("split");        // the first read ends here
        QTest::addColumn<QByteArray>("early"); // handed on before the rest arrives
        QTest::addColumn<QByteArray>("whole"); // all that is handed on

        const QByteArray line = "size=    1kB time=00:01:02.50 bitrate= 1.0kbits/s\r";
        const QByteArray whole = "size=    1kB time=62.50 bitrate= 1.0kbits/s\r";
        const int time = int(line.indexOf("time="));
        const QByteArray before = line.left(time);
        for (const bool quiet : {false, true}) {
            const char *how = quiet ? "quiet pipe" : "64 KiB";
            QTest::addRow("%s: before the token", how) << quiet << line << time << before << whole;
            QTest::addRow("%s: inside the marker", how) << quiet << line << time + 3 << before << whole;
            QTest::addRow("%s: after the marker", how) << quiet << line << time + 5 << before << whole;
            QTest::addRow("%s: inside the minutes", how) << quiet << line << time + 9 << before << whole;
            QTest::addRow("%s: inside the fraction", how) << quiet << line << time + 15 << before << whole;
            // the fraction might go on, so the time waits for the next byte
            QTest::addRow("%s: right after the token", how) << quiet << line << time + 16 << before << whole;
            QTest::addRow("%s: after the blank behind it", how)
                << quiet << line << time + 17 << QByteArray("size=    1kB time=62.50 ") << whole;
            // a negative time at the start of a stream
            const QByteArray negative = "size=   0kB time=-00:00:00.02 bitrate=N/A\r";
            QTest::addRow("%s: inside a negative time", how)
                << quiet << negative << int(negative.indexOf("-00")) + 1 << QByteArray("size=   0kB ")
                << QByteArray("size=   0kB time=-0.02 bitrate=N/A\r");
            // no time is that long: nothing waits for more
            const QByteArray endless = "x time=" + QByteArray(100, '1');
            QTest::addRow("%s: a digit run too long for a time", how)
                << quiet << endless + "\n" << int(endless.size()) << endless << endless + "\n";
        }
    }

    void progressTimesStayWhole()
    {
        QFETCH(bool, quiet);
        QFETCH(QByteArray, line);
        QFETCH(int, split);
        QFETCH(QByteArray, early);
        QFETCH(QByteArray, whole);

        // Without a line end, 64 KiB of earlier output ahead of the line.
        const std::string filler = quiet ? std::string() : std::string(64 * 1024, 'x');
        coder::ConsoleRewriter rewriter;
        std::string out = rewriter.feed(filler + line.left(split).toStdString());
        if (quiet)
            out += rewriter.flushPending(false);
        QCOMPARE(QByteArray::fromStdString(out), QByteArray::fromStdString(filler) + early);
        out += rewriter.feed(line.mid(split).toStdString());
        out += rewriter.flushPending(true);
        QCOMPARE(QByteArray::fromStdString(out), QByteArray::fromStdString(filler) + whole);
    }

    // The same through the adapter: a megabyte of progress without a line end,
    // handed on in 64 KiB pieces wherever the reads happen to end.
    void progressTimesStayWholeInALongLine()
    {
        // 17 bytes doubled 16 times: 65,536 times, 1,114,112 bytes, no line end
        QVERIFY(fakeFfmpeg("s='time=00:01:02.50 '; i=0\n"
                           "while [ $i -lt 16 ]; do s=\"$s$s\"; i=$((i+1)); done\n"
                           "printf '%s' \"$s\""));
        QObject context;  // the connection ends with this test
        QString output;   // all of it, as raised piece by piece
        connect(&m_runner, &ProcessRunner::outputReceived, &context, [&output](const QString &piece) { output += piece; });
        runToEnd(m_runner, adapterWith({"-i", "a.mp3", "-y", "a.wav"}));
        QCOMPARE(m_runner.exitCode(), 0);
        QCOMPARE(output.size(), 11 * 65536);
        QCOMPARE(output.count(QStringLiteral("time=62.50 ")), 65536);
    }

    // "coder --probe FILE" tells what a written file holds, for any file name.
    void probeTellsWhatAFileHolds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("content");  // "mp3", "bytes" or "" (no file)
        QTest::addColumn<bool>("relative");    // given as a name in the current folder

        QTest::newRow("mp3") << "ring.mp3" << "mp3" << false;
        QTest::newRow("colon, blanks, quotes, Chinese") << AwkwardName + ".mp3" << "mp3" << false;
        // without "file:", ffprobe would take "x" for a protocol and "-" for an option
        QTest::newRow("relative, colon first") << QStringLiteral("x:y 'q\" 铃声.mp3") << "mp3" << true;
        QTest::newRow("relative, leading dash") << QStringLiteral("-ring.mp3") << "mp3" << true;
        QTest::newRow("random bytes") << AwkwardName + ".bin" << "bytes" << false;
        QTest::newRow("no such file") << QStringLiteral("nothing here.mp3") << "" << false;
    }

    void probeTellsWhatAFileHolds()
    {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(bool, relative);

        const QString path = m_folder.filePath(name);
        QFile::remove(path);
        if (content == u"mp3") {
            QString log;
            QVERIFY2(media::runFfmpeg({"-f", "lavfi", "-i", "sine=d=2", media::asFileUrl(path)}, &log),
                     qPrintable(log));
        } else if (content == u"bytes") {
            QRandomGenerator generator(20240917);  // the same bytes every run
            QByteArray bytes(64 * 1024, '\0');
            generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }

        QString output;
        {
            CurrentFolder folder(relative ? m_folder.path() : QDir::currentPath());
            QVERIFY(folder.changed());
            output = runToEnd(m_runner, adapterWith({"--probe", relative ? name : path}));
        }
        QVERIFY(m_runner.exitedNormally());
        QCOMPARE(m_overs, 1);
        if (content != u"mp3") {
            QVERIFY2(m_runner.exitCode() != 0, qPrintable(output));
            // ffprobe's own complaint, naming the file as it was given to it
            QVERIFY2(output.contains(QStringLiteral("file:") + (relative ? name : path)), qPrintable(output));
            QVERIFY2(!output.contains(QStringLiteral("codec_type=")), qPrintable(output));
            return;
        }
        QVERIFY2(m_runner.exitCode() == 0, qPrintable(output));
        QStringList lines = output.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.contains(QStringLiteral("decoded_duration=2.000000")), qPrintable(output));
        QVERIFY2(lines.contains(QStringLiteral("codec_type=audio")), qPrintable(output));
        QVERIFY2(lines.contains(QStringLiteral("codec_name=mp3")), qPrintable(output));
        QVERIFY2(lines.contains(QStringLiteral("channels=1")), qPrintable(output));
        QVERIFY2(lines.indexOf(QRegularExpression(QStringLiteral("^sample_rate=\\d+$"))) >= 0, qPrintable(output));
        QVERIFY2(lines.indexOf(QRegularExpression(QStringLiteral("^duration=2\\.0\\d*$"))) >= 0,
                 qPrintable(output));
    }

    // ffprobe decodes the file whole and its frames are counted: a file cut
    // short whose header still promises the full length is found out, also
    // through an inherited descriptor, and no frame line reaches the output.
    void probeDecodesTheWholeFile_data()
    {
        QTest::addColumn<int>("percent");        // of the bytes of a 6 s MP3 as a cut writes it
        QTest::addColumn<bool>("descriptor");    // given as /proc/self/fd/7
        QTest::addColumn<QString>("decoded");    // the decoded_duration value, a pattern

        for (const bool descriptor : {false, true}) {
            const char *how = descriptor ? "inherited descriptor" : "path";
            QTest::addRow("whole, %s", how) << 100 << descriptor << "6\\.000000";
            QTest::addRow("60 %% of the bytes, %s", how) << 60 << descriptor << "3\\.[4-7]\\d{5}";
        }
    }

    void probeDecodesTheWholeFile()
    {
        QFETCH(int, percent);
        QFETCH(bool, descriptor);
        QFETCH(QString, decoded);

        const QString full = m_folder.filePath(QStringLiteral("six seconds.mp3"));
        QVERIFY(QFile::exists(full) || media::makeStereoMp3(full, 6.0, 48000));
        const QString file = m_folder.filePath(AwkwardName + QStringLiteral(".mp3"));
        QFile::remove(file);
        QVERIFY(media::writeTruncatedCopy(full, file, QFileInfo(full).size() * percent / 100));
        const QString output = runToEnd(m_runner, 
            descriptor ? Command{"/bin/sh", {"-c", "exec 7<\"$1\" && exec \"$0\" --probe /proc/self/fd/7",
                                             media::adapterPath(), file}}
                       : adapterWith({"--probe", file}));

        QCOMPARE(m_runner.exitCode(), 0);
        const QStringList lines = output.split(u'\n').filter(QStringLiteral("decoded_duration="));
        QCOMPARE(lines.size(), 1);
        const QRegularExpression line(QStringLiteral("^decoded_duration=%1$").arg(decoded));
        QVERIFY2(line.match(lines[0]).hasMatch(), qPrintable(output));
        QVERIFY2(!output.contains(QStringLiteral("nb_samples")), qPrintable(output));
        const ProbedFile probed = parseProbe(output);
        QVERIFY2(std::abs(probed.duration - 6.0) < 0.1, qPrintable(output));  // the header promises it all
        const QString shortBy = QStringLiteral("写出的文件只能解码出 %1 秒，选择的是 6.00 秒，"
                                               "文件不完整。");
        QCOMPARE(cutProblem(probed, QStringLiteral("MP3"), 6.0),
                 decoded.startsWith(u'6') ? QString() : shortBy.arg(probed.decodedDuration, 0, 'f', 2));  // whole: 6 s
    }

    // Which ffprobe runs: the one BRINDLEWAVE_FFPROBE names, else the one
    // beside the ffmpeg BRINDLEWAVE_FFMPEG names, else the one on PATH.
    void probeFindsItsFfprobe_data()
    {
        QTest::addColumn<QString>("named");   // BRINDLEWAVE_FFPROBE: "" unset, "fake", "missing"
        QTest::addColumn<QString>("beside");  // ffprobe beside ffmpeg: "" none, "runs", "not executable"
        QTest::addColumn<bool>("onPath");
        QTest::addColumn<QString>("used");    // which one ran; "" none: the complaint

        QTest::newRow("named one first") << "fake" << "runs" << true << "named";
        QTest::newRow("beside ffmpeg") << "" << "runs" << true << "beside";
        QTest::newRow("beside ffmpeg, not executable") << "" << "not executable" << true << "path";
        QTest::newRow("only on PATH") << "" << "" << true << "path";
        QTest::newRow("named one missing") << "missing" << "runs" << true << "";
        QTest::newRow("nowhere") << "" << "" << false << "";
        QTest::newRow("nowhere, beside one not executable") << "" << "not executable" << false << "";
    }

    void probeFindsItsFfprobe()
    {
        QFETCH(QString, named);
        QFETCH(QString, beside);
        QFETCH(bool, onPath);
        QFETCH(QString, used);

        // Each stand-in says who it is, its arguments one a line, a progress
        // time that must reach the caller untouched, and ends with status 5.
        const auto standIn = [](const char *who) {
            return QByteArray("echo ") + who
                 + "\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n"
                   "printf 'time=00:01:02.50\\r'\nexit 5";
        };
        QDir root(m_folder.filePath(QStringLiteral("finding ffprobe")));
        QVERIFY(root.removeRecursively() && root.mkpath(QStringLiteral("tools dir"))
                && root.mkpath(QStringLiteral("bin")) && root.mkpath(QStringLiteral("empty")));
        QVERIFY(writeScript(root.filePath(QStringLiteral("tools dir/ffmpeg")), "exit 0"));
        QVERIFY(writeScript(root.filePath(QStringLiteral("bin/ffprobe")), standIn("path")));
        QVERIFY(writeScript(root.filePath(QStringLiteral("named ffprobe")), standIn("named")));
        if (!beside.isEmpty())
            QVERIFY(writeScript(root.filePath(QStringLiteral("tools dir/ffprobe")), standIn("beside"),
                                beside == u"runs" ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  : QFile::ReadOwner | QFile::WriteOwner));
        if (!named.isEmpty())
            qputenv("BRINDLEWAVE_FFPROBE", QFile::encodeName(root.filePath(
                                               named == u"fake" ? QStringLiteral("named ffprobe")
                                                                : QStringLiteral("no ffprobe here"))));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(root.filePath(QStringLiteral("tools dir/ffmpeg"))));
        qputenv("PATH", QFile::encodeName(root.filePath(onPath ? QStringLiteral("bin") : QStringLiteral("empty"))));

        const QString file = m_folder.filePath(AwkwardName + QStringLiteral(".mp3"));
        const QString output = runToEnd(m_runner, adapterWith({"--probe", file}));
        QVERIFY(m_runner.exitedNormally());
        if (used.isEmpty()) {
            QCOMPARE(output, FfprobeMissing);
            QCOMPARE(m_runner.exitCode(), 127);
            return;
        }
        QString expected = used + u'\n';
        for (const QString &a : ProbeOptions + QStringList{QStringLiteral("file:") + file})
            expected += u'[' + a + QStringLiteral("]\n");
        expected += QStringLiteral("time=00:01:02.50\r");
        QCOMPARE(output, expected);
        QCOMPARE(m_runner.exitCode(), 5);
    }

    void probeWantsExactlyOneFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no file") << QStringList{"--probe"};
        QTest::newRow("empty name") << QStringList{"--probe", ""};
        QTest::newRow("two files") << QStringList{"--probe", "a.mp3", "b.mp3"};
    }

    void probeWantsExactlyOneFile()
    {
        QFETCH(QStringList, arguments);

        QVERIFY(fakeFfprobe("echo ffprobe ran"));
        const QString output = runToEnd(m_runner, adapterWith(arguments));
        QVERIFY(m_runner.exitedNormally());
        QCOMPARE(m_runner.exitCode(), 2);
        QCOMPARE(output, QStringLiteral("coder: usage: coder --probe FILE\n"));
    }
};

QTEST_GUILESS_MAIN(CoderTest)
#include "test_coder.moc"
