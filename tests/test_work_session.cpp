// Each running program's own working folder, and the clean-up of the folders
// of programs that are no longer running.
#include "app/WorkSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Whether some process holds the lock on this file right now.
bool isLockedElsewhere(const QString &lockPath)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

}  // namespace

class TestWorkSession : public QObject {
    Q_OBJECT
private slots:
    void aSessionIsAPrivateFolderHeldByALock()
    {
        QTemporaryDir root;
        const QString work = root.filePath(QStringLiteral("cache/brindlewave"));
        {
            WorkSession session(work);
            QVERIFY(session.isHeld());
            QVERIFY(QFileInfo(session.folder()).isDir());
            QCOMPARE(QFileInfo(session.folder()).absolutePath(), QFileInfo(work).absoluteFilePath());
            QCOMPARE(QFileInfo(work).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
            QVERIFY(isLockedElsewhere(session.folder() + QStringLiteral(".lock")));
            write(session.folder() + QStringLiteral("/open.wav"), "audio");
            // a claim by another program leaves a live session alone
            QCOMPARE(WorkSession::removeStale(work), QStringList());
            QVERIFY(QFile::exists(session.folder() + QStringLiteral("/open.wav")));
        }
        // gone with its owner, lock file and all
        QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void twoProgramsNeverShareAFolder()
    {
        QTemporaryDir root;
        WorkSession first(root.path());
        WorkSession second(root.path());
        QVERIFY(first.isHeld() && second.isHeld());
        QVERIFY(first.folder() != second.folder());
        write(first.folder() + QStringLiteral("/open.wav"), "first");
        second.release();
        QVERIFY(!QFileInfo::exists(second.folder()));
        QVERIFY(QFile::exists(first.folder() + QStringLiteral("/open.wav")));
        second.release();  // a second release changes nothing
        QVERIFY(QFile::exists(first.folder() + QStringLiteral("/open.wav")));
    }

    // A program that was killed leaves its folder and an unlocked lock file;
    // one that still runs holds its lock. Only the dead one's folder goes, and
    // nothing else in the working folder is touched.
    void startUpRemovesOnlyTheFoldersOfEndedPrograms()
    {
        QTemporaryDir root;
        const QString work = root.path();
        write(work + QStringLiteral("/session-999999-0.lock"), "");
        write(work + QStringLiteral("/session-999999-0/open.wav"), "dead");
        write(work + QStringLiteral("/session-888888-3/open.wav"), "half cleaned up");
        write(work + QStringLiteral("/keep me.txt"), "mine");
        write(work + QStringLiteral("/open.wav"), "not a session's");

        // a running program of another process, holding its lock
        const QString liveLock = work + QStringLiteral("/session-777777-0.lock");
        write(work + QStringLiteral("/session-777777-0/open.wav"), "alive");
        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), liveLock});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readAllStandardOutput(), QByteArray("locked\n"));

        WorkSession session(work);
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/session-999999-0")));
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/session-999999-0.lock")));
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/session-888888-3")));
        QVERIFY(QFile::exists(work + QStringLiteral("/session-777777-0/open.wav")));
        QVERIFY(QFile::exists(work + QStringLiteral("/keep me.txt")));
        QVERIFY(QFile::exists(work + QStringLiteral("/open.wav")));
        QVERIFY(QFileInfo(session.folder()).isDir());

        // once that program is killed, its folder is stale too
        holder.kill();
        QVERIFY(holder.waitForFinished());
        QCOMPARE(WorkSession::removeStale(work), QStringList{QStringLiteral("session-777777-0")});
        QVERIFY(!QFileInfo::exists(work + QStringLiteral("/session-777777-0")));
        QVERIFY(QFileInfo(session.folder()).isDir());
    }

    void anUnwritableWorkingFolderStillNamesAFolder()
    {
        WorkSession session(QStringLiteral("/proc/no/such/folder"));
        QVERIFY(!session.isHeld());
        QVERIFY(session.folder().startsWith(QStringLiteral("/proc/no/such/folder/session-")));
    }
};

// Run as a child: a program that holds its lock until it is killed.
int holdLock(const char *path)
{
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
        return 1;
    std::printf("locked\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold-lock") == 0)
        return holdLock(argv[2]);
    QCoreApplication app(argc, argv);
    TestWorkSession test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_work_session.moc"
