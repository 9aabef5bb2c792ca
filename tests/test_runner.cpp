#include "pipeline/DOSOutputs.h"

#include "support/RecordingMessages.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

namespace {

Command shell(const QString &script)
{
    return Command{QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}};
}

// Everything a runner raised, in order: "piece:TEXT" and "over".
struct EventLog {
    QStringList events;
    QStringList pieces;

    void attach(DOSOutputs &runner, const QString &name = {})
    {
        const QString prefix = name.isEmpty() ? QString() : name + u':';
        QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [this, prefix](const QString &p) {
            pieces.append(p);
            events.append(prefix + QStringLiteral("piece"));
        });
        QObject::connect(&runner, &DOSOutputs::CommandOver,
                         [this, prefix] { events.append(prefix + QStringLiteral("over")); });
    }
    int count(const QString &event) const { return events.count(event); }
};

bool processIsGone(pid_t pid)
{
    if (::kill(pid, 0) != 0)
        return errno == ESRCH;
    // A zombie nobody has collected yet no longer runs.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) == "Z";
}

pid_t readPid(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().trimmed().toInt();
}

}  // namespace

class RunnerTest : public QObject {
    Q_OBJECT

private slots:
    void commandText_data();
    void commandText();
    void startFailures_data();
    void startFailures();
    void pipeCreationFailure();
    void outputLeftInThePipeAfterExit();
    void jobEndsWithItsOwnChild();
    void piecesNeverExceedOneRead();
    void splitCharacterArrivesWhole();
    void commandOverOnceAfterAllPieces();
    void exitStatusIsKept_data();
    void exitStatusIsKept();
    void nestedJobs_data();
    void nestedJobs();
    void stopEndsTheChild_data();
    void stopEndsTheChild();
    void destroyedDuringItsOwnJob();
};

void RunnerTest::commandText_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << "/opt/bw/data/coder" << QStringList{"-i", "a.mp3", "-y"}
                           << "/opt/bw/data/coder -i a.mp3 -y";
    QTest::newRow("blank in an argument") << "coder" << QStringList{"-i", "/home/u/my song.mp3"}
                                          << "coder -i \"/home/u/my song.mp3\"";
    QTest::newRow("empty argument") << "coder" << QStringList{"-metadata", ""}
                                    << "coder -metadata \"\"";
    QTest::newRow("no arguments") << "coder" << QStringList{} << "coder";
}

void RunnerTest::commandText()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, text);
    QCOMPARE((Command{program, arguments}.text()), text);
}

void RunnerTest::startFailures_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty command line") << Command{} << "Command Line empty";
    QTest::newRow("program missing") << Command{QStringLiteral("/nonexistent/brindlewave-nothing"), {}}
                                     << "File or command not found";
    QTest::newRow("not on PATH") << Command{QStringLiteral("brindlewave-no-such-program"), {}}
                                 << "File or command not found";
    QTest::newRow("a folder") << Command{QStringLiteral("/tmp"), {}} << "File or command not found";
}

void RunnerTest::startFailures()
{
    QFETCH(Command, command);
    QFETCH(QString, message);

    RecordingMessages messages;
    DOSOutputs runner(messages);
    QCOMPARE(runner.ExecuteCommand(shell(QStringLiteral("printf earlier"))),
             QStringLiteral("earlier"));
    QVERIFY(runner.lastStarted());

    EventLog log;
    log.attach(runner);
    runner.setCommandLine(command);
    QCOMPARE(runner.ExecuteCommand(), QString());

    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.last().text, message);
    QCOMPARE(messages.last().title, QStringLiteral("Brindlewave"));
    QCOMPARE(messages.last().icon, MessageIcon::Critical);
    QCOMPARE(messages.last().buttons, MessageButtons::Ok);
    QVERIFY(log.events.isEmpty());
    QVERIFY(!runner.lastStarted());
    QCOMPARE(runner.Outputs(), QStringLiteral("earlier"));
}

void RunnerTest::pipeCreationFailure()
{
    // With the descriptor limit at the lowest free descriptor, no pipe fits.
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = ::dup(0);
    QVERIFY(lowestFree >= 0);
    ::close(lowestFree);

    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowestFree);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const QString result = runner.ExecuteCommand(shell(QStringLiteral("printf x")));
    ::setrlimit(RLIMIT_NOFILE, &saved);

    QCOMPARE(result, QString());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("CreatePipe failed. Error: %1").arg(EMFILE)});
    QCOMPARE(messages.last().icon, MessageIcon::Critical);
    QVERIFY(log.events.isEmpty());
    QVERIFY(!runner.lastStarted());
}

void RunnerTest::outputLeftInThePipeAfterExit()
{
    // The handler of the first piece keeps the runner busy while the child
    // writes 60,000 bytes (they fit the pipe) and exits: nearly all of its
    // output is still waiting when its exit is noticed.
    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [&] {
        if (log.pieces.size() == 1)
            QThread::msleep(600);
    });
    const QString result = runner.ExecuteCommand(shell(
        QStringLiteral("printf start; sleep 0.1; head -c 60000 /dev/zero | tr '\\000' x; exit 0")));

    QCOMPARE(result, QStringLiteral("start") + QString(60000, u'x'));
    QCOMPARE(log.pieces.join(QString()), result);
    QCOMPARE(log.events.last(), QStringLiteral("over"));
    QCOMPARE(log.count(QStringLiteral("over")), 1);
    QCOMPARE(runner.exitCode(), 0);
}

void RunnerTest::jobEndsWithItsOwnChild()
{
    // A grandchild that inherited the pipe keeps it open long after the child
    // has gone; the job must end with the child, not wait for the grandchild.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString pidFile = folder.filePath(QStringLiteral("grandchild.pid"));
    RecordingMessages messages;
    DOSOutputs runner(messages);
    const QString result = runner.ExecuteCommand(
        shell(QStringLiteral("sleep 60 & echo $! > '%1'; printf done").arg(pidFile)));

    const pid_t grandchild = readPid(pidFile);
    QVERIFY(grandchild > 0);
    const bool stillThere = !processIsGone(grandchild);
    ::kill(grandchild, SIGKILL);
    QVERIFY(stillThere);
    QCOMPARE(result, QStringLiteral("done"));
    QVERIFY(!runner.isRunning());
}

void RunnerTest::piecesNeverExceedOneRead()
{
    // Far more than the pipe holds, lines of mixed one- and three-byte
    // characters, so reads end at every kind of place.
    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    const QString result = runner.ExecuteCommand(shell(QStringLiteral(
        "i=0; while [ $i -lt 20000 ]; do printf 'ab\\344\\270\\255\\346\\226\\207%05d\\n' $i; "
        "i=$((i+1)); done")));

    QString expected;
    for (int i = 0; i < 20000; ++i)
        expected += QStringLiteral("ab中文%1\n").arg(i, 5, 10, QLatin1Char('0'));
    QCOMPARE(result, expected);
    QCOMPARE(log.pieces.join(QString()), expected);
    QVERIFY(log.pieces.size() >= expected.toUtf8().size() / 1024);
    for (const QString &piece : std::as_const(log.pieces)) {
        QVERIFY2(piece.toUtf8().size() <= 1024, qPrintable(QString::number(piece.toUtf8().size())));
        QVERIFY(!piece.contains(QChar::ReplacementCharacter));
    }
}

void RunnerTest::splitCharacterArrivesWhole()
{
    // One write of 1,023 blanks and a three-byte character: the first read of
    // 1,024 bytes ends inside the character.
    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    runner.ExecuteCommand(shell(QStringLiteral("printf '%1023s\\344\\270\\255' ''")));

    QCOMPARE(log.pieces.size(), 2);
    QCOMPARE(log.pieces[0], QString(1023, u' '));
    QCOMPARE(log.pieces[1], QStringLiteral("中"));
}

void RunnerTest::commandOverOnceAfterAllPieces()
{
    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    bool runningDuringPieces = true;
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs,
                     [&] { runningDuringPieces = runningDuringPieces && runner.isRunning(); });
    const QString result = runner.ExecuteCommand(
        shell(QStringLiteral("for i in 1 2 3 4 5; do echo line $i; sleep 0.05; done; echo last >&2")));

    QCOMPARE(log.count(QStringLiteral("over")), 1);
    QCOMPARE(log.events.last(), QStringLiteral("over"));
    QVERIFY(log.pieces.size() >= 2);
    QCOMPARE(result, QStringLiteral("line 1\nline 2\nline 3\nline 4\nline 5\nlast\n"));
    QCOMPARE(log.pieces.join(QString()), result);
    QCOMPARE(runner.Outputs(), result);
    QVERIFY(runningDuringPieces);
    QVERIFY(!runner.isRunning());
}

void RunnerTest::exitStatusIsKept_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("normal");
    QTest::addColumn<int>("code");

    QTest::newRow("success") << "exit 0" << true << 0;
    QTest::newRow("failure") << "echo failing; exit 3" << true << 3;
    QTest::newRow("killed") << "kill -KILL $$" << false << 128 + SIGKILL;
}

void RunnerTest::exitStatusIsKept()
{
    QFETCH(QString, script);
    QFETCH(bool, normal);
    QFETCH(int, code);

    RecordingMessages messages;
    DOSOutputs runner(messages);
    bool normalAtOver = !normal;
    int codeAtOver = -1;
    QObject::connect(&runner, &DOSOutputs::CommandOver, [&] {
        normalAtOver = runner.exitedNormally();
        codeAtOver = runner.exitCode();
    });
    runner.ExecuteCommand(shell(script));
    QCOMPARE(normalAtOver, normal);
    QCOMPARE(codeAtOver, code);
    QCOMPARE(runner.exitedNormally(), normal);
    QCOMPARE(runner.exitCode(), code);
}

void RunnerTest::nestedJobs_data()
{
    QTest::addColumn<bool>("sameRunner");
    QTest::newRow("second runner") << false;
    QTest::newRow("same runner") << true;
}

void RunnerTest::nestedJobs()
{
    QFETCH(bool, sameRunner);

    RecordingMessages messages;
    DOSOutputs outer(messages);
    DOSOutputs second(messages);
    DOSOutputs &inner = sameRunner ? outer : second;
    QStringList events;
    QString innerResult;
    bool started = false;
    QObject::connect(&outer, &DOSOutputs::ReceiveOutputs, [&](const QString &piece) {
        events.append(QStringLiteral("piece ") + piece);
        if (started)
            return;
        started = true;
        innerResult = inner.ExecuteCommand(shell(QStringLiteral("printf inner; exit 4")));
        events.append(QStringLiteral("inner returned"));
    });
    QObject::connect(&outer, &DOSOutputs::CommandOver,
                     [&] { events.append(QStringLiteral("over %1").arg(outer.exitCode())); });
    if (!sameRunner) {
        QObject::connect(&second, &DOSOutputs::ReceiveOutputs,
                         [&](const QString &piece) { events.append(QStringLiteral("second ") + piece); });
        QObject::connect(&second, &DOSOutputs::CommandOver,
                         [&] { events.append(QStringLiteral("second over %1").arg(second.exitCode())); });
    }

    const QString outerResult = outer.ExecuteCommand(
        shell(QStringLiteral("printf first; sleep 0.3; printf second; exit 2")));

    QCOMPARE(innerResult, QStringLiteral("inner"));
    QCOMPARE(outerResult, QStringLiteral("firstsecond"));
    const QStringList expected =
        sameRunner ? QStringList{"piece first", "piece inner", "over 4", "inner returned",
                                 "piece second", "over 2"}
                   : QStringList{"piece first", "second inner", "second over 4", "inner returned",
                                 "piece second", "over 2"};
    QCOMPARE(events, expected);
    // A second job on the same runner replaces the collected output of the first.
    QCOMPARE(outer.Outputs(), sameRunner ? QStringLiteral("inner") : QStringLiteral("firstsecond"));
    QVERIFY(messages.isEmpty());
}

void RunnerTest::stopEndsTheChild_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("code");

    QTest::newRow("ends on SIGTERM") << "echo started; exec sleep 60" << 128 + SIGTERM;
    QTest::newRow("ignores SIGTERM") << "trap '' TERM; echo started; while :; do sleep 0.1; done"
                                     << 128 + SIGKILL;
}

void RunnerTest::stopEndsTheChild()
{
    QFETCH(QString, script);
    QFETCH(int, code);

    RecordingMessages messages;
    DOSOutputs runner(messages);
    EventLog log;
    log.attach(runner);
    // Stop from inside the job, as the shutdown does, once the child is known to run.
    QObject::connect(&runner, &DOSOutputs::ReceiveOutputs, [&] {
        QTimer::singleShot(0, &runner, [&] { runner.stop(); });
    });
    const QString result = runner.ExecuteCommand(shell(script));

    QCOMPARE(result, QStringLiteral("started\n"));
    QCOMPARE(log.count(QStringLiteral("over")), 1);
    QVERIFY(!runner.exitedNormally());
    QCOMPARE(runner.exitCode(), code);
    QVERIFY(!runner.isRunning());
}

void RunnerTest::destroyedDuringItsOwnJob()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString pidFile = folder.filePath(QStringLiteral("child.pid"));
    RecordingMessages messages;
    auto *runner = new DOSOutputs(messages);
    QObject::connect(runner, &DOSOutputs::ReceiveOutputs, [&] {
        delete runner;
        runner = nullptr;
    });
    const QString result = runner->ExecuteCommand(
        shell(QStringLiteral("echo $$ > '%1'; echo started; exec sleep 60").arg(pidFile)));

    QVERIFY(runner == nullptr);
    QCOMPARE(result, QStringLiteral("started\n"));
    const pid_t child = readPid(pidFile);
    QVERIFY(child > 0);
    QVERIFY(processIsGone(child));
}

QTEST_GUILESS_MAIN(RunnerTest)
#include "test_runner.moc"
