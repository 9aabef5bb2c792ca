// The program's command line: what it asks for, and the cut without a window,
// run as a user's script runs it (the built program, no display).
#include "app/CommandLine.h"
#include "files/WorkSession.h"
#include "pipeline/CommandLines.h"
#include "pipeline/CutJob.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/SaveFlow.h"
#include "support/Files.h"
#include "support/Media.h"
#include "support/RecordingMessages.h"
#include "support/RunToEnd.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <unistd.h>

#include "playback/Timeline.h"

namespace {

struct Run {
    int exitCode = -1;
    bool crashed = true;
    QString out;
    QString err;
};

QString programPath() { return QStringLiteral(BRINDLEWAVE_BUILD_DIR "/brindlewave"); }

// The program with no display at all, its working and config folders in `home`.
QProcess *start(const QStringList &arguments, const QString &home, const QString &program = programPath())
{
    auto *process = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    return process;
}

Run finish(QProcess *process)
{
    Run run;
    if (process->waitForFinished(120000)) {
        run.exitCode = process->exitCode();
        run.crashed = process->exitStatus() != QProcess::NormalExit;
    }
    run.out = QString::fromUtf8(process->readAllStandardOutput());
    run.err = QString::fromUtf8(process->readAllStandardError());
    delete process;
    return run;
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_folder;
    QString m_tone;  // 10 s

    QString home() const { return m_folder.filePath(QStringLiteral("home")); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_tone = m_folder.filePath(QStringLiteral("a tone, 晴天.wav"));
        QVERIFY(media::makeWav(m_tone, 10));
    }

    void requests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<qint64>("endMs");
        QTest::addColumn<QString>("said");  // part of the error, for Invalid

        const int window = int(CommandLineRequest::Kind::Window);
        const int cut = int(CommandLineRequest::Kind::Cut);
        const int invalid = int(CommandLineRequest::Kind::Invalid);
        QTest::newRow("nothing") << QStringList{} << window << qint64(0) << qint64(0) << "";
        QTest::newRow("a file") << QStringList{"song.mp3"} << window << qint64(0) << qint64(0) << "";
        QTest::newRow("a file named like an option") << QStringList{"--", "-song.mp3"} << window << qint64(0)
                                                     << qint64(0) << "";
        QTest::newRow("help wins") << QStringList{"--cut", "x", "--help"} << int(CommandLineRequest::Kind::Help)
                                   << qint64(0) << qint64(0) << "";
        QTest::newRow("version") << QStringList{"--version"} << int(CommandLineRequest::Kind::Version) << qint64(0)
                                 << qint64(0) << "";
        QTest::newRow("cut") << QStringList{"--cut", "s.mp3", "--start", "00:00:41.500", "--end", "1:02.5",
                                            "--output", "r.m4r"}
                             << cut << qint64(41500) << qint64(62500) << "";
        QTest::newRow("values after =") << QStringList{"--cut=s.mp3", "--start=41.5", "--end=43", "--output=r.mp3"}
                                        << cut << qint64(41500) << qint64(43000) << "";
        QTest::newRow("no output") << QStringList{"--cut", "s.mp3", "--start", "1", "--end", "3"} << invalid
                                   << qint64(0) << qint64(0) << "--output";
        QTest::newRow("no end") << QStringList{"--cut", "s.mp3", "--start", "1", "--output", "r.mp3"} << invalid
                                << qint64(0) << qint64(0) << "--end";
        QTest::newRow("unreadable time") << QStringList{"--cut", "s.mp3", "--start", "1:75", "--end", "3",
                                                        "--output", "r.mp3"}
                                         << invalid << qint64(0) << qint64(0) << "1:75";
        QTest::newRow("value missing") << QStringList{"--cut", "s.mp3", "--start"} << invalid << qint64(0)
                                       << qint64(0) << "--start";
        QTest::newRow("fade not a number") << QStringList{"--cut", "s", "--start", "1", "--end", "3", "--fade-in",
                                                          "0.5s", "--output", "r.mp3"}
                                           << invalid << qint64(0) << qint64(0) << "0.5s";
        QTest::newRow("fade too long") << QStringList{"--cut", "s", "--start", "1", "--end", "3", "--fade-out",
                                                      "10001", "--output", "r.mp3"}
                                       << invalid << qint64(0) << qint64(0) << "10001";
        QTest::newRow("cut options without a cut") << QStringList{"song.mp3", "--start", "1"} << invalid
                                                    << qint64(0) << qint64(0) << "--cut";
        QTest::newRow("unknown option") << QStringList{"--loud"} << invalid << qint64(0) << qint64(0) << "--loud";
        QTest::newRow("two files") << QStringList{"a.mp3", "b.mp3"} << invalid << qint64(0) << qint64(0) << "";
    }
    void requests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        QFETCH(qint64, startMs);
        QFETCH(qint64, endMs);
        QFETCH(QString, said);
        const CommandLineRequest request = parseCommandLine(arguments);
        QCOMPARE(int(request.kind), kind);
        if (kind == int(CommandLineRequest::Kind::Cut))
            QCOMPARE(request.selection, (Selection{startMs, endMs}));
        if (kind == int(CommandLineRequest::Kind::Invalid))
            QVERIFY2(request.error.contains(said), qPrintable(request.error));
        if (arguments.size() == 1 && kind == int(CommandLineRequest::Kind::Window))
            QCOMPARE(request.file, arguments.first());
        if (arguments.value(0) == u"--")
            QCOMPARE(request.file, QStringLiteral("-song.mp3"));
    }

    void shapingOptionsReachTheRequest()
    {
        const CommandLineRequest request = parseCommandLine(
            {"--cut", "s.mp3", "--start", "1", "--end", "9", "--fade-in", "500", "--fade-out=2000", "--normalize",
             "--output", "r.ogg"});
        QCOMPARE(request.kind, CommandLineRequest::Kind::Cut);
        QCOMPARE(request.shaping, (CutShaping{500, 2000, true}));
        QCOMPARE(request.source, QStringLiteral("s.mp3"));
        QCOMPARE(request.output, QStringLiteral("r.ogg"));
    }

    // --help and --version print and end without a display.
    void helpAndVersionNeedNoDisplay()
    {
        const Run help = finish(start({"--help"}, home()));
        QCOMPARE(help.crashed, false);
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains(QStringLiteral("--cut")) && help.out.contains(QStringLiteral("--normalize")),
                 qPrintable(help.out));
        for (const char *status : {"\n  0  ", "\n  1  ", "\n  2  "})
            QVERIFY2(help.out.contains(QLatin1String(status)), qPrintable(help.out));
        const Run version = finish(start({"--version"}, home()));
        QCOMPARE(version.exitCode, 0);
        // the version the package carries
        QCOMPARE(version.out.trimmed(), QStringLiteral("Brindlewave " BRINDLEWAVE_VERSION));
        QCOMPARE(QStringLiteral(BRINDLEWAVE_VERSION).count(u'.'), 2);
        const Run wrong = finish(start({"--start", "1"}, home()));
        QCOMPARE(wrong.exitCode, int(ExitUsage));
        QVERIFY(!wrong.err.isEmpty());
    }

    // The exact selection, in the format the name asks for, proven; progress
    // and the result on standard error.
    void cutsExactlyTheSelection_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codec");
        QTest::newRow("mp3") << "ring one.mp3" << "mp3";
        QTest::newRow("wav") << "铃声.wav" << "pcm_s16le";
        QTest::newRow("m4r") << "it's.m4r" << "aac";
        QTest::newRow("255 bytes") << QString(251, u'a') + QStringLiteral(".mp3") << "mp3";
        QTest::newRow("253 bytes of Chinese") << QString(83, QChar(0x94C3)) + QStringLiteral(".wav") << "pcm_s16le";
    }
    void cutsExactlyTheSelection()
    {
        QFETCH(QString, name);
        QFETCH(QString, codec);
        const QString output = m_folder.filePath(name);
        const Run run = finish(start({"--cut", m_tone, "--start", "1.5", "--end", "0:04.25", "--output", output},
                                     home()));
        QVERIFY2(run.exitCode == 0 && !run.crashed, qPrintable(run.err));
        const media::AudioInfo info = media::probe(output);
        QVERIFY2(info.valid, qPrintable(info.error));
        QCOMPARE(info.codec, codec);
        QVERIFY2(qAbs(info.duration - 2.75) <= 0.05, qPrintable(QString::number(info.duration)));
        QVERIFY2(run.err.contains(QStringLiteral("已保存")), qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("100%")), qPrintable(run.err));
        QCOMPARE(hiddenIn(m_folder.path()), QStringList());
        // its working folder went with it
        QCOMPARE(QDir(home() + QStringLiteral("/cache/brindlewave")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        QFile::remove(output);
    }

    // The command line decodes only the stretch it cuts, yet its ringtone
    // holds the very samples of the window's cut of the same selection: the
    // whole file decoded into a working WAV and cut by the same job.
    void aCutThatSeeksHoldsTheWindowsSamples_data()
    {
        QTest::addColumn<QString>("source");  // "mp3": 40 s at 44.1 kHz; "mp4": AAC beside a picture
        QTest::addColumn<QString>("output");
        QTest::addColumn<qint64>("startMs");
        QTest::addColumn<qint64>("endMs");
        QTest::addColumn<qint64>("fadeInMs");
        QTest::addColumn<qint64>("fadeOutMs");
        QTest::addColumn<bool>("normalize");
        QTest::newRow("near the file's start, into WAV") << "mp3" << "a.wav" << 400LL << 6001LL << 0LL << 0LL << false;
        QTest::newRow("fades, resampled into MP3") << "mp3" << "b.mp3" << 21337LL << 30818LL << 1200LL << 2500LL << false;
        QTest::newRow("a video's sound, into AMR") << "mp4" << "c.amr" << 1500LL << 9500LL << 0LL << 700LL << false;
        QTest::newRow("loudness, into M4R") << "mp3" << "d.m4r" << 15123LL << 25000LL << 300LL << 1000LL << true;
    }
    void aCutThatSeeksHoldsTheWindowsSamples()
    {
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(qint64, startMs);
        QFETCH(qint64, endMs);
        QFETCH(qint64, fadeInMs);
        QFETCH(qint64, fadeOutMs);
        QFETCH(bool, normalize);
        const QString media = m_folder.filePath(QStringLiteral("seek source.") + source);
        QVERIFY(QFile::exists(media)
                || (source == u"mp3" ? media::makeStereoMp3(media, 40.0) : media::makeVideoWithSound(media, 12.0)));
        const Selection selection{startMs, endMs};
        const CutShaping shaping{fadeInMs, fadeOutMs, normalize};

        QTemporaryDir work;
        Paths paths;
        paths.programFolder = QStringLiteral(BRINDLEWAVE_BUILD_DIR);
        paths.workFolder = work.path();
        paths.sessionFolder = work.path();
        RecordingMessages messages;
        ProcessRunner decodeRunner(messages), cutRunner(messages), probeRunner(messages);
        runToEnd(decodeRunner, DecodeCommand(paths, media));
        QCOMPARE(decodeRunner.exitCode(), 0);
        const QString windows = work.filePath(QStringLiteral("window's ") + output);
        CutJob job(cutRunner, probeRunner, paths);
        std::optional<CutJob::Result> result;
        connect(&job, &CutJob::finished, this, [&](const CutJob::Result &r) { result = r; });
        job.start(selection, shaping, windows);
        QVERIFY(QTest::qWaitFor([&] { return result.has_value(); }, 120000));
        QVERIFY2(result->kind == CutJob::Result::Kind::Whole, qPrintable(result->reason));

        const QString seeking = m_folder.filePath(output);
        QStringList arguments{"--cut", media, "--start", timeline::secondsText(startMs), "--end",
                              timeline::secondsText(endMs), "--fade-in", QString::number(fadeInMs), "--fade-out",
                              QString::number(fadeOutMs), "--output", seeking};
        if (normalize)
            arguments << QStringLiteral("--normalize");
        const Run run = finish(start(arguments, home()));
        QVERIFY2(run.exitCode == 0 && !run.crashed, qPrintable(run.err));
        // Only the stretch was decoded: no progress of opening the whole file.
        QVERIFY2(!run.err.contains(QStringLiteral("打开 100%")) || normalize, qPrintable(run.err));

        const auto samplesOf = [&](const QString &file) {
            const QString wav = work.filePath(QFileInfo(file).fileName() + QStringLiteral(".pcm.wav"));
            return media::runFfmpeg({QStringLiteral("-i"), media::asFileUrl(file), QStringLiteral("-c:a"),
                                     QStringLiteral("pcm_s16le"), media::asFileUrl(wav)})
                       ? media::readPcm16(wav)
                       : media::Pcm16{};
        };
        const media::Pcm16 expected = samplesOf(windows);
        const media::Pcm16 got = samplesOf(seeking);
        QVERIFY(!expected.samples.isEmpty());
        QCOMPARE(got.sampleRate, expected.sampleRate);
        QCOMPARE(got.samples.size(), expected.samples.size());
        const auto firstDifference = std::mismatch(got.samples.cbegin(), got.samples.cend(), expected.samples.cbegin());
        QCOMPARE(firstDifference.first - got.samples.cbegin(), got.samples.size());
        QFile::remove(seeking);
    }

    // Any failure: not 0, the window's message, and no file under either name.
    void failuresLeaveNoFile_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QByteArray>("ffprobe");  // a stand-in for the proof's reader; empty: the real one
        const QString text = m_folder.filePath(QStringLiteral("list.mp3"));
        QFile file(text);
        if (file.open(QIODevice::WriteOnly))
            file.write("milk, eggs, bread\n");
        QTest::newRow("not media") << text << m_folder.filePath(QStringLiteral("a.mp3")) << "3" << "无法打开这个文件" << QByteArray();
        QTest::newRow("no such source") << m_folder.filePath(QStringLiteral("gone.mp3"))
                                        << m_folder.filePath(QStringLiteral("b.mp3")) << "3" << "无法打开这个文件" << QByteArray();
        QTest::newRow("unwritable folder") << m_tone << QStringLiteral("/proc/c.mp3") << "3" << "铃声没有保存" << QByteArray();
        QTest::newRow("missing folder") << m_tone << m_folder.filePath(QStringLiteral("no/such/d.mp3")) << "3"
                                        << "铃声没有保存" << QByteArray();
        QTest::newRow("past the end") << m_tone << m_folder.filePath(QStringLiteral("e.mp3")) << "12" << "超出了文件的末尾" << QByteArray();
        QTest::newRow("unknown format") << m_tone << m_folder.filePath(QStringLiteral("f.flac")) << "3" << "不能保存为这种格式" << QByteArray();
        QTest::newRow("over the source") << m_tone << m_tone << "3" << "原文件只读取" << QByteArray();
        QTest::newRow("into the working folder") << m_tone << home() + QStringLiteral("/cache/brindlewave/g.mp3")
                                                 << "3" << "工作文件夹里" << QByteArray();
        // The proof's reader is started with the cut and given the file
        // through a pipe: one that is missing, one that goes away while it is
        // given the file, and one that reads it all and finds nothing.
        QTest::newRow("no ffprobe") << m_tone << m_folder.filePath(QStringLiteral("h.mp3")) << "3"
                                    << "ffprobe was not found" << QByteArray();
        QTest::newRow("ffprobe leaves early") << m_tone << m_folder.filePath(QStringLiteral("i.wav")) << "3"
                                              << "不是完整的铃声"
                                              << QByteArray("for a; do f=$a; done\nhead -c 100 \"${f#file:}\" >/dev/null\n"
                                                            "echo 'cannot go on' >&2; exit 1");
        QTest::newRow("ffprobe finds nothing") << m_tone << m_folder.filePath(QStringLiteral("j.mp3")) << "3"
                                               << "写出的文件里没有声音"
                                               << QByteArray("for a; do f=$a; done\ncat \"${f#file:}\" >/dev/null");
    }
    void failuresLeaveNoFile()
    {
        QFETCH(QString, source);
        QFETCH(QString, output);
        QFETCH(QString, end);
        QFETCH(QString, said);
        QFETCH(QByteArray, ffprobe);
        const QString standIn = m_folder.filePath(QStringLiteral("stand-in ffprobe"));
        if (!ffprobe.isEmpty())
            QVERIFY(media::writeScript(standIn, ffprobe));
        if (QByteArray(QTest::currentDataTag()).contains("ffprobe"))
            qputenv("BRINDLEWAVE_FFPROBE", QFile::encodeName(ffprobe.isEmpty() ? QStringLiteral("/nonexistent/ffprobe") : standIn));
        const QByteArray toneBefore = [this] {
            QFile f(m_tone);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const Run run = finish(start({"--cut", source, "--start", "1", "--end", end, "--output", output}, home()));
        qunsetenv("BRINDLEWAVE_FFPROBE");
        QCOMPARE(run.crashed, false);
        QCOMPARE(run.exitCode, int(ExitFailed));
        QVERIFY2(run.err.contains(said), qPrintable(run.err));
        if (output != m_tone) {
            QVERIFY(!QFile::exists(output));
            QCOMPARE(hiddenIn(m_folder.path()), QStringList());
        }
        QFile f(m_tone);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), toneBefore);
    }

    // Scripts may run several cuts at once: each has its own working copy.
    void severalCutsRunAtOnce()
    {
        QList<QProcess *> running;
        QStringList outputs;
        for (int i = 0; i < 3; ++i) {
            outputs << m_folder.filePath(QStringLiteral("at once %1.mp3").arg(i));
            running << start({"--cut", m_tone, "--start", QString::number(i + 1), "--end", QString::number(i + 3),
                              "--output", outputs.last()},
                             home());
        }
        for (int i = 0; i < 3; ++i) {
            const Run run = finish(running.at(i));
            QVERIFY2(run.exitCode == 0, qPrintable(run.err));
            QVERIFY2(qAbs(media::probe(outputs.at(i)).duration - 2.0) <= 0.1, qPrintable(outputs.at(i)));
        }
    }

    // A source whose name is not UTF-8 is read by its bytes.
    void aNameThatIsNotUtf8IsCut()
    {
        const QByteArray source = QFile::encodeName(m_folder.path()) + "/chanson \xe9t\xe9.wav";
        QCOMPARE(::link(QFile::encodeName(m_tone).constData(), source.constData()), 0);
        const QString output = m_folder.filePath(QStringLiteral("latin.mp3"));
        const QString wrapper = m_folder.filePath(QStringLiteral("latin1 wrapper"));
        // the name reaches the program as its bytes, as a shell passes it
        QVERIFY(media::writeScript(wrapper, "exec \"$BW\" --cut \"$SOURCE_DIR/$(printf 'chanson \\351t\\351.wav')\" "
                                            "--start 1 --end 3 --output \"$OUT\""));
        qputenv("BW", QFile::encodeName(programPath()));
        qputenv("SOURCE_DIR", QFile::encodeName(m_folder.path()));
        qputenv("OUT", QFile::encodeName(output));
        const Run run = finish(start({}, home(), wrapper));
        QCOMPARE(run.exitCode, int(ExitDone));
        QVERIFY2(qAbs(media::probe(output).duration - 2.0) <= 0.05, qPrintable(run.err));
        ::unlink(source.constData());
        QFile::remove(output);
    }

    // Links planted where a save might write are never followed: the files
    // they point to stay byte for byte as they were.
    void plantedLinksAreNeverFollowed()
    {
        const QString output = m_folder.filePath(QStringLiteral("planted.mp3"));
        QStringList victims;
        for (const QString &at : {output, m_folder.filePath(QStringLiteral(".planted.partial.mp3"))}) {
            victims << at + QStringLiteral(".victim");
            QVERIFY(putFile(victims.last(), "precious"));
            QVERIFY(QFile::link(victims.last(), at));
        }
        const Run run = finish(start({"--cut", m_tone, "--start", "1", "--end", "3", "--output", output}, home()));
        QCOMPARE(run.exitCode, int(ExitDone));
        for (const QString &victim : victims)
            QCOMPARE(contentOf(victim), QByteArray("precious"));
        QVERIFY(!QFileInfo(output).isSymLink());
        QVERIFY2(qAbs(media::probe(output).duration - 2.0) <= 0.05, qPrintable(run.err));
        for (const QString &victim : victims)
            QFile::remove(victim);
        QFile::remove(m_folder.filePath(QStringLiteral(".planted.partial.mp3")));
        QFile::remove(output);
    }

    // Cuts racing to one name never destroy each other: each either saved a
    // whole file or says it lost, and the name holds one whole winner.
    void cutsRacingToOneName()
    {
        const QString output = m_folder.filePath(QStringLiteral("race.mp3"));
        QList<QProcess *> running;
        for (int i = 0; i < 3; ++i)
            running << start({"--cut", m_tone, "--start", "1", "--end", QString::number(3 + i), "--output", output},
                             home());
        QList<double> saved;
        for (int i = 0; i < 3; ++i) {
            const Run run = finish(running.at(i));
            QVERIFY2(run.exitCode == ExitDone || run.exitCode == ExitFailed, qPrintable(run.err));
            if (run.exitCode == ExitDone)
                saved << 2.0 + i;
            else
                QVERIFY2(run.err.contains(QStringLiteral("另一次保存")), qPrintable(run.err));
        }
        QVERIFY(!saved.isEmpty());
        const double length = media::probe(output).duration;
        QVERIFY2(std::any_of(saved.cbegin(), saved.cend(), [&](double s) { return qAbs(length - s) <= 0.05; }),
                 qPrintable(QString::number(length)));
        QCOMPARE(hiddenIn(m_folder.path()), QStringList());
        QFile::remove(output);
    }

    // SIGKILL at any moment: the transcoders go with the program, no file is
    // left in the destination's folder, and the next start removes the
    // working copy. A cut with loudness decodes its stretch into the working
    // copy first; one without writes the ringtone straight away.
    void aKillLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::newRow("while decoding the stretch") << "打开 ";
        QTest::newRow("while saving") << "保存 ";
    }
    void aKillLeavesNothingBehind()
    {
        QFETCH(QString, phase);
        QTemporaryDir out;
        const QString pids = out.filePath(QStringLiteral("pids"));
        const QString slow = m_folder.filePath(QStringLiteral("stalling ffmpeg"));
        const bool inDecode = phase == QStringLiteral("打开 ");
        QVERIFY(media::writeScript(slow, QByteArray("for a in \"$@\"; do out=\"$a\"; done\n")
                                             + (inDecode ? "" : "case \"$out\" in *open.wav) exec ffmpeg \"$@\";; esac\n")
                                             + "echo $$ $PPID > '" + QFile::encodeName(pids) + "'\n"
                                               "head -c 5000 /dev/urandom > \"${out#file:}\"\n"
                                               "printf '  Duration: 00:00:10.00, start: 0\\n'\n"
                                               "printf 'size=    5kB time=00:00:01.00 bitrate=1.0kbits/s\\n'\n"
                                               "exec sleep 120"));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(slow));
        const QString output = out.filePath(QStringLiteral("killed.mp3"));
        QStringList arguments{"--cut", m_tone, "--start", "1", "--end", "3", "--output", output};
        if (inDecode)
            arguments << QStringLiteral("--normalize");
        QProcess *process = start(arguments, home());
        qunsetenv("BRINDLEWAVE_FFMPEG");
        process->setReadChannel(QProcess::StandardError);
        QString err;
        while (!err.contains(phase) && process->waitForReadyRead(60000))
            err += QString::fromUtf8(process->readAllStandardError());
        QVERIFY2(err.contains(phase), qPrintable(err));
        QTRY_VERIFY_WITH_TIMEOUT(contentOf(pids).trimmed().contains(' '), 30000);
        process->kill();
        QVERIFY(process->waitForFinished(30000));
        delete process;

        const QList<QByteArray> children = contentOf(pids).trimmed().split(' ');
        for (const QByteArray &pid : children)
            QTRY_VERIFY2_WITH_TIMEOUT(media::processIsGone(pid.toLongLong()), pid.constData(), 30000);
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("pids")});
        const QString cache = home() + QStringLiteral("/cache/brindlewave");
        QCOMPARE(WorkSession::removeStale(cache).size(), 1);
        QCOMPARE(QDir(cache).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // A fault is told as what it is: the working folder's as the working
    // folder's, never as the source gone; never the transcoder's banner.
    void theRightThingIsBlamed_data()
    {
        QTest::addColumn<QByteArray>("ffmpeg");  // a stand-in, or empty for the real one
        QTest::addColumn<bool>("linkedCache");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("notSaid");
        QTest::newRow("working folder removed") << QByteArray("for a in \"$@\"; do out=\"${a#file:}\"; done\n"
                                                              "rm -rf \"${out%/*}\"\nexec ffmpeg \"$@\"")
                                                << false << "工作文件夹不见了" << "文件不见了：它可能";
        QTest::newRow("banner only") << QByteArray("echo 'FFmpeg version 0.6.5, Copyright (c) 2000-2010 the FFmpeg developers'\n"
                                                   "echo '  built with gcc 12'\necho '  configuration: --prefix=/usr'\n"
                                                   "echo '  libavutil      57. 28.100 / 57. 28.100'\nexit 1")
                                     << false << "无法打开这个文件" << "Copyright";
        QTest::newRow("working folder is a link") << QByteArray() << true << "工作文件夹不能使用" << "已保存";
    }
    void theRightThingIsBlamed()
    {
        QFETCH(QByteArray, ffmpeg);
        QFETCH(bool, linkedCache);
        QFETCH(QString, said);
        QFETCH(QString, notSaid);
        QTemporaryDir home;
        const QString elsewhere = home.filePath(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QDir().mkpath(home.filePath(QStringLiteral("cache"))));
        if (linkedCache)
            QVERIFY(QFile::link(elsewhere, home.filePath(QStringLiteral("cache/brindlewave"))));
        const QString standIn = home.filePath(QStringLiteral("ffmpeg"));
        if (!ffmpeg.isEmpty()) {
            QVERIFY(media::writeScript(standIn, ffmpeg));
            qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(standIn));
        }
        const QString output = home.filePath(QStringLiteral("blamed.mp3"));
        // With loudness the stretch is decoded into the working folder first.
        const Run run = finish(start({"--cut", m_tone, "--start", "1", "--end", "3", "--normalize", "--output", output},
                                     home.path()));
        qunsetenv("BRINDLEWAVE_FFMPEG");
        QCOMPARE(run.exitCode, int(ExitFailed));
        QVERIFY2(run.err.contains(said) && !run.err.contains(notSaid), qPrintable(run.err));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // A termination signal during the cut ends it with nothing written.
    void aSignalEndsTheCutWithNothingWritten()
    {
        const QString slow = m_folder.filePath(QStringLiteral("slow ffmpeg"));
        QVERIFY(media::writeScript(slow, "for a in \"$@\"; do out=\"$a\"; done\n"
                                         "case \"$out\" in *open.wav) exec ffmpeg \"$@\";; esac\n"
                                         "head -c 5000 /dev/urandom > \"${out#file:}\"\n"
                                         "printf 'size=    5kB time=00:00:01.00 bitrate=1.0kbits/s\\n'\n"
                                         "exec sleep 60"));
        qputenv("BRINDLEWAVE_FFMPEG", QFile::encodeName(slow));
        const QString output = m_folder.filePath(QStringLiteral("stopped.mp3"));
        QProcess *process = start({"--cut", m_tone, "--start", "1", "--end", "3", "--output", output}, home());
        qunsetenv("BRINDLEWAVE_FFMPEG");
        process->setReadChannel(QProcess::StandardError);
        QString err;
        while (!err.contains(QStringLiteral("保存 ")) && process->waitForReadyRead(30000))
            err += QString::fromUtf8(process->readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("保存 ")), qPrintable(err));
        QCOMPARE(hiddenIn(m_folder.path()), QStringList());  // written, but under no name yet
        process->terminate();
        const Run run = finish(process);
        QVERIFY2(run.exitCode == int(ExitFailed) && !run.crashed, qPrintable(err + run.err));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(hiddenIn(m_folder.path()), QStringList());
        QCOMPARE(QDir(home() + QStringLiteral("/cache/brindlewave")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
