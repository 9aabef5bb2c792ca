#include "app/WorkSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SessionPrefix = QStringLiteral("session-");
const QString LockSuffix = QStringLiteral(".lock");

// Sessions claimed by this process so far; several windows of one process (the
// tests) each get their own.
std::atomic<int> claimedInThisProcess{0};

int openForLocking(const QString &path, int flags)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool lockWithoutWaiting(int fd)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool makePrivateFolder(const QString &path)
{
    if (QFileInfo(path).isDir())
        return true;
    if (!QDir().mkpath(path))
        return false;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

}  // namespace

WorkSession::WorkSession(const QString &workFolder)
{
    const QString name = SessionPrefix + QString::number(::getpid()) + u'-'
                         + QString::number(claimedInThisProcess.fetch_add(1));
    m_folder = workFolder + u'/' + name;
    if (!makePrivateFolder(workFolder))
        return;
    removeStale(workFolder);

    // Locked under a temporary name, then renamed: whoever sees the final
    // name finds it locked.
    const QString temporary = workFolder + QStringLiteral("/.") + name + LockSuffix;
    const int fd = openForLocking(temporary, O_RDWR | O_CREAT | O_TRUNC);
    if (fd < 0)
        return;
    const QString lockPath = m_folder + LockSuffix;
    if (!lockWithoutWaiting(fd)
        || ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(lockPath).constData()) != 0) {
        ::close(fd);
        QFile::remove(temporary);
        return;
    }
    m_lockFd = fd;
    m_lockPath = lockPath;
    // An earlier program with the same pid may have left its folder behind.
    QDir(m_folder).removeRecursively();
    makePrivateFolder(m_folder);
}

WorkSession::~WorkSession()
{
    release();
}

void WorkSession::release()
{
    if (m_lockFd < 0)
        return;
    QDir(m_folder).removeRecursively();
    // The lock file goes while it is still locked, so nobody can lock it and
    // take the folder for a stale one in between.
    QFile::remove(m_lockPath);
    ::close(m_lockFd);
    m_lockFd = -1;
}

QStringList WorkSession::removeStale(const QString &workFolder)
{
    QStringList removed;
    const QDir dir(workFolder);
    const QStringList entries = dir.entryList({SessionPrefix + u'*'},
                                              QDir::Dirs | QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (!entry.endsWith(LockSuffix))
            continue;
        const QString lockPath = dir.filePath(entry);
        const int fd = openForLocking(lockPath, O_RDWR);
        if (fd < 0)
            continue;
        if (lockWithoutWaiting(fd)) {
            // Nobody holds it: its program has ended. The folder goes first, the
            // lock file last, so an interrupted clean-up is finished next time.
            const QString name = entry.chopped(LockSuffix.size());
            QDir(dir.filePath(name)).removeRecursively();
            QFile::remove(lockPath);
            removed << name;
        }
        ::close(fd);
    }
    // A session folder without its lock file is what an interrupted clean-up
    // leaves: a program makes its lock file before its folder.
    for (const QString &entry : entries) {
        if (entry.endsWith(LockSuffix) || !QFileInfo(dir.filePath(entry)).isDir())
            continue;
        if (!QFileInfo::exists(dir.filePath(entry + LockSuffix)) && !removed.contains(entry)) {
            QDir(dir.filePath(entry)).removeRecursively();
            removed << entry;
        }
    }
    return removed;
}
