// Each running program's own working folder, and the clean-up of the folders
// of programs that are no longer running.
#include "files/WorkSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

    // A link is never followed: not one named like a session folder, not one
    // inside a dead program's folder, not one at a lock file's name.
    void cleanUpNeverFollowsALink_data()
    {
        QTest::addColumn<QString>("link");      // below the working folder
        QTest::addColumn<bool>("withLock");     // an unlocked lock file beside it
        QTest::newRow("folder named like a session") << "session-999999-0" << true;
        QTest::newRow("folder without a lock") << "session-999999-1" << false;
        QTest::newRow("inside a dead session") << "session-999999-2/open.wav" << true;
        QTest::newRow("lock file") << "session-999999-3.lock" << false;
    }
    void cleanUpNeverFollowsALink()
    {
        QFETCH(QString, link);
        QFETCH(bool, withLock);
        QTemporaryDir root;
        const QString work = root.filePath(QStringLiteral("work"));
        const QString victim = root.filePath(QStringLiteral("victim"));
        write(victim + QStringLiteral("/song.mp3"), "precious");
        QVERIFY(QDir().mkpath(QFileInfo(work + u'/' + link).absolutePath()));
        QFile::setPermissions(work, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QFile::link(link.endsWith(QLatin1String(".lock")) ? victim + QStringLiteral("/song.mp3") : victim,
                            work + u'/' + link));
        if (withLock)
            write(work + u'/' + link.section(u'/', 0, 0) + QStringLiteral(".lock"), "");

        WorkSession session(work);
        QVERIFY(session.isHeld());
        QCOMPARE(QDir(victim).entryList(QDir::Files), QStringList{QStringLiteral("song.mp3")});
        QFile song(victim + QStringLiteral("/song.mp3"));
        QVERIFY(song.open(QIODevice::ReadOnly));
        QCOMPARE(song.readAll(), QByteArray("precious"));
    }

    // A working folder that is not this user's own private folder is not used:
    // nothing is made or removed in it.
    void onlyAPrivateFolderIsUsed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("problem");
        using P = private_folder::Problem;
        QTest::newRow("link") << "link" << int(P::Link);
        QTest::newRow("writable by others") << "0777" << int(P::OpenToOthers);
        QTest::newRow("writable by the group") << "0770" << int(P::OpenToOthers);
        QTest::newRow("a file") << "file" << int(P::NotAFolder);
        QTest::newRow("another user's") << "nobody" << int(P::NotOwned);
        QTest::newRow("missing") << "missing" << int(P::None);
    }
    void onlyAPrivateFolderIsUsed()
    {
        QFETCH(QString, kind);
        QFETCH(int, problem);
        QTemporaryDir root;
        const QString work = root.filePath(QStringLiteral("cache/brindlewave"));
        const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
        write(elsewhere + QStringLiteral("/session-999999-0/keep.txt"), "theirs");
        QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("cache"))));
        if (kind == u"link") {
            QVERIFY(QFile::link(elsewhere, work));
        } else if (kind == u"file") {
            write(work, "not a folder");
        } else if (kind != u"missing") {
            QVERIFY(QDir().rename(elsewhere, work));
            if (kind == u"nobody") {
                if (::geteuid() != 0)
                    QSKIP("only root can give a folder to another user");
                QCOMPARE(::chown(QFile::encodeName(work).constData(), 65534, 65534), 0);
            } else {
                QCOMPARE(::chmod(QFile::encodeName(work).constData(), kind.toUInt(nullptr, 8)), 0);
            }
        }
        WorkSession session(work);
        QCOMPARE(int(session.problem()), problem);
        QCOMPARE(session.isHeld(), problem == int(private_folder::Problem::None));
        if (kind == u"missing") {
            QCOMPARE(QFileInfo(work).permissions() & 0x7777, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                                | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
            return;
        }
        QVERIFY(!private_folder::problemText(session.problem(), work).isEmpty());
        QVERIFY(private_folder::problemText(session.problem(), work).contains(work));
        const QString kept = kind == u"link" ? elsewhere : work;
        if (kind != u"file")
            QCOMPARE(QDir(kept).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{QStringLiteral("session-999999-0")});
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
