#include "pipeline/ProcessRunner.h"

#include "support/Media.h"
#include "support/RunToEnd.h"
#include "support/RecordingMessages.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Command shell(const QString &script)
{
    return Command{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}};
}
Command shell(const char *script) { return shell(QString::fromUtf8(script)); }
// The script sees the argument as $0.
Command shell(const QString &script, const QString &argument)
{
    return Command{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, argument}};
}

// A runner with everything it raised, in order: "piece" and "over".
struct Logged {
    RecordingMessages messages;
    ProcessRunner runner{messages};
    QStringList events;
    QStringList pieces;

    Logged()
    {
        QObject::connect(&runner, &ProcessRunner::outputReceived, [this](const QString &p) {
            pieces.append(p);
            events.append(QStringLiteral("piece"));
        });
        QObject::connect(&runner, &ProcessRunner::finished,
                         [this] { events.append(QStringLiteral("over")); });
    }
};

}  // namespace

class RunnerTest : public QObject {
    Q_OBJECT

private slots:
    void commandText()
    {
        QCOMPARE((Command{QStringLiteral("coder"), {"-i", "/u/my song.mp3", ""}}.text()),
                 QStringLiteral("coder -i \"/u/my song.mp3\" \"\""));
    }

    void startFailures_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<bool>("noFreeDescriptor");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty command line") << Command{} << false << "Command Line empty";
        QTest::newRow("program missing") << Command{QStringLiteral("/nonexistent/bw-nothing"), {}}
                                         << false << "File or command not found";
        QTest::newRow("no pipe") << shell(QStringLiteral("printf x")) << true
                                 << QStringLiteral("CreatePipe failed. Error: %1").arg(EMFILE);
    }

    void startFailures()
    {
        QFETCH(Command, command);
        QFETCH(bool, noFreeDescriptor);
        QFETCH(QString, message);

        Logged log;
        QCOMPARE(runToEnd(log.runner, shell(QStringLiteral("printf earlier"))),
                 QStringLiteral("earlier"));
        QVERIFY(log.runner.lastStarted());
        log.events.clear();

        // With the descriptor limit at the lowest free descriptor, no pipe fits.
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
        const int lowestFree = ::dup(0);
        QVERIFY(lowestFree >= 0);
        ::close(lowestFree);
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        if (noFreeDescriptor)
            QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
        log.runner.setCommandLine(command);
        const QString result = runToEnd(log.runner);
        ::setrlimit(RLIMIT_NOFILE, &saved);

        QCOMPARE(result, QString());
        QCOMPARE(log.messages.texts(), QStringList{message});
        QCOMPARE(log.messages.last().title, QStringLiteral("Brindlewave"));
        QCOMPARE(log.messages.last().icon, MessageIcon::Critical);
        QCOMPARE(log.messages.last().buttons, MessageButtons::Ok);
        QVERIFY(log.events.isEmpty());
        QVERIFY(!log.runner.lastStarted());
        QCOMPARE(log.runner.output(), QStringLiteral("earlier"));
    }

    void outputLeftInThePipeAfterExit()
    {
        // The first piece's handler keeps the runner busy while the child writes
        // 60,000 bytes (they fit the pipe), a line on standard error, and exits.
        QTemporaryDir folder;
        const QByteArray done = QFile::encodeName(folder.filePath(QStringLiteral("done")));
        QCOMPARE(::mkfifo(done.constData(), 0600), 0);
        Logged log;
        bool runningDuringPieces = true;
        QObject::connect(&log.runner, &ProcessRunner::outputReceived, [&] {
            runningDuringPieces = runningDuringPieces && log.runner.isRunning();
            if (log.pieces.size() != 1)
                return;
            // Held here, without turning the event loop, until the child has
            // written everything and says so through the FIFO.
            const int fifo = ::open(done.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            pollfd said{fifo, POLLIN, 0};
            ::poll(&said, 1, 60000);
            ::close(fifo);
        });
        const QString result = runToEnd(log.runner, shell(QStringLiteral(
            "printf start; sleep 0.1; head -c 60000 /dev/zero | tr '\\000' x; echo last >&2; echo > \"$0\""),
            QFile::decodeName(done)));

        QCOMPARE(result, QStringLiteral("start") + QString(60000, u'x') + QStringLiteral("last\n"));
        QCOMPARE(log.pieces.join(QString()), result);
        QCOMPARE(log.runner.output(), result);
        QCOMPARE(log.events.count(QStringLiteral("over")), 1);
        QCOMPARE(log.events.last(), QStringLiteral("over"));
        QVERIFY(runningDuringPieces);
        QVERIFY(!log.runner.isRunning());
        QCOMPARE(log.runner.exitCode(), 0);
    }

    void jobEndsWithItsOwnChild()
    {
        // A grandchild holding the pipe open must not keep the job waiting.
        Logged log;
        const pid_t grandchild =
            runToEnd(log.runner, shell("sleep 60 & echo $!")).trimmed().toInt();
        QVERIFY(grandchild > 0);
        const bool stillThere = !media::processIsGone(grandchild);
        ::kill(grandchild, SIGKILL);
        QVERIFY(stillThere);
        QVERIFY(!log.runner.isRunning());
    }

    void piecesNeverExceedOneRead()
    {
        // Far more than the pipe holds, mixing one- and three-byte characters.
        Logged log;
        const QString result = runToEnd(log.runner, shell(QStringLiteral(
            "i=0; while [ $i -lt 20000 ]; do printf 'ab\\344\\270\\255\\346\\226\\207%05d\\n' $i; "
            "i=$((i+1)); done")));

        QString expected;
        for (int i = 0; i < 20000; ++i)
            expected += QStringLiteral("ab中文%1\n").arg(i, 5, 10, QLatin1Char('0'));
        // what is kept is the start and the end; the pieces are all of it
        QCOMPARE(result, expected.left(16 * 1024) + QStringLiteral("\n…\n") + expected.right(64 * 1024));
        QCOMPARE(log.pieces.join(QString()), expected);
        QVERIFY(log.pieces.size() >= expected.toUtf8().size() / 1024);
        for (const QString &piece : std::as_const(log.pieces)) {
            QVERIFY2(piece.toUtf8().size() <= 1024, qPrintable(QString::number(piece.toUtf8().size())));
            QVERIFY(!piece.contains(QChar::ReplacementCharacter));
        }
    }

    // A child that writes megabytes leaves its first 16 KiB and its last
    // 64 KiB, joined by a line "…"; every piece is still raised.
    void chatterIsKeptBounded()
    {
        Logged log;
        const QString result = runToEnd(log.runner, shell(
            "echo '  Duration: 00:03:25.12'; head -c 3000000 /dev/zero | tr '\\000' x; echo; echo 'Conversion failed!'"));
        QCOMPARE(log.pieces.join(QString()).size(), 24 + 3000000 + 1 + 19);
        QCOMPARE(log.runner.output(), result);
        // the start does not end with a line end, so the "…" line begins one
        QCOMPARE(result.size(), 16 * 1024 + 3 + 64 * 1024);
        QVERIFY(result.startsWith(QStringLiteral("  Duration: 00:03:25.12\nxxx")));
        QCOMPARE(result.mid(16 * 1024, 3), QStringLiteral("\n…\n"));
        QVERIFY(result.endsWith(QStringLiteral("xxx\nConversion failed!\n")));
    }

    void splitCharacterArrivesWhole()
    {
        // 1,023 blanks and a three-byte character: the first read ends inside it.
        Logged log;
        runToEnd(log.runner, shell(QStringLiteral("printf '%1023s\\344\\270\\255' ''")));
        QCOMPARE(log.pieces, (QStringList{QString(1023, u' '), QStringLiteral("中")}));
    }

    void exitStatusIsKept_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("stop");  // stopped from inside the job, as the shutdown does
        QTest::addColumn<bool>("normal");
        QTest::addColumn<int>("code");
        QTest::newRow("failure") << "echo started; exit 3" << false << true << 3;
        QTest::newRow("killed") << "echo started; kill -KILL $$" << false << false << 128 + SIGKILL;
        QTest::newRow("stop") << "echo started; exec sleep 60" << true << false << 128 + SIGTERM;
        QTest::newRow("stop, SIGTERM ignored")
            << "trap '' TERM; echo started; while :; do sleep 0.1; done" << true << false
            << 128 + SIGKILL;
    }

    void exitStatusIsKept()
    {
        QFETCH(QString, script);
        QFETCH(bool, stop);
        QFETCH(bool, normal);
        QFETCH(int, code);

        Logged log;
        if (stop) {
            QObject::connect(&log.runner, &ProcessRunner::outputReceived, [&] {
                QTimer::singleShot(0, &log.runner, [&] { log.runner.stop(); });
            });
        }
        bool normalAtOver = !normal;
        int codeAtOver = -1;
        QObject::connect(&log.runner, &ProcessRunner::finished, [&] {
            normalAtOver = log.runner.exitedNormally();
            codeAtOver = log.runner.exitCode();
        });
        QCOMPARE(runToEnd(log.runner, shell(script)), QStringLiteral("started\n"));
        QCOMPARE(log.events.count(QStringLiteral("over")), 1);
        QCOMPARE(normalAtOver, normal);
        QCOMPARE(codeAtOver, code);
        QCOMPARE(log.runner.exitedNormally(), normal);
        QCOMPARE(log.runner.exitCode(), code);
        QVERIFY(!log.runner.isRunning());
    }

    // A stopped job ends once, its child gone: stop() on the event loop,
    // stopNow() before it returns.
    void stopEndsTheJobOnce_data()
    {
        QTest::addColumn<bool>("now");
        QTest::addColumn<int>("code");
        QTest::newRow("stop") << false << 128 + SIGTERM;
        QTest::newRow("stopNow") << true << 128 + SIGKILL;
    }

    void stopEndsTheJobOnce()
    {
        QFETCH(bool, now);
        QFETCH(int, code);
        Logged log;
        QSignalSpy over(&log.runner, &ProcessRunner::finished);
        pid_t child = 0;
        int overWhenStopReturned = -1;
        QObject::connect(&log.runner, &ProcessRunner::outputReceived, [&](const QString &piece) {
            child = piece.trimmed().toInt();
            now ? log.runner.stopNow() : log.runner.stop();
            overWhenStopReturned = over.count();
        });
        QVERIFY(log.runner.start(shell("echo $$; exec sleep 60")));
        QTRY_COMPARE_WITH_TIMEOUT(over.count(), 1, 300000);
        QCOMPARE(overWhenStopReturned, now ? 1 : 0);
        QVERIFY(child > 0);
        QVERIFY(media::processIsGone(child));
        QCOMPARE(log.runner.exitCode(), code);
        // a later job's end is the only other one raised
        QCOMPARE(runToEnd(log.runner, shell("printf next")), QStringLiteral("next"));
        QCOMPARE(log.events, (QStringList{"piece", "over", "piece", "over"}));
    }

    void destroyedDuringItsOwnJob()
    {
        RecordingMessages messages;
        auto *runner = new ProcessRunner(messages);
        pid_t child = 0;
        QObject::connect(runner, &ProcessRunner::outputReceived, [&](const QString &piece) {
            child = piece.trimmed().toInt();
            delete runner;
            runner = nullptr;
        });
        QVERIFY(runner->start(shell("echo $$; exec sleep 60")));
        QTRY_VERIFY_WITH_TIMEOUT(runner == nullptr, 300000);
        QVERIFY(child > 0);
        QVERIFY(media::processIsGone(child));
    }
};

QTEST_GUILESS_MAIN(RunnerTest)
#include "test_runner.moc"
