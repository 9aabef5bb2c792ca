#include "files/WorkSession.h"

#include "files/FileNames.h"
#include "files/OutputFile.h"
#include "files/TreeRemoval.h"
#include "files/UniqueFd.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray SessionPrefix = "session-";
const QByteArray LockSuffix = ".lock";
const QByteArray LedgerName = "partials";
constexpr int ClaimAttempts = 32;

bool lockWithoutWaiting(int fd)
{
    int result;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

QByteArray randomPart()
{
    return QByteArray::number(QRandomGenerator::system()->generate64(), 36);
}

// The session names in a folder, read through its handle.
QList<QByteArray> sessionEntriesOf(int folderFd)
{
    QList<QByteArray> names = tree_removal::namesIn(folderFd);
    names.removeIf([](const QByteArray &name) { return !name.startsWith(SessionPrefix); });
    return names;
}

// A real folder of this user's at name, or nothing to remove.
bool isOwnFolderAt(int parentFd, const QByteArray &name)
{
    struct stat info {};
    return ::fstatat(parentFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)
           && info.st_uid == ::geteuid();
}

// Removes a dead program's session: the temporary files its ledger names, its
// folder, and last its lock file, so an interrupted clean-up is finished next time.
void removeSession(int workFd, const QByteArray &name)
{
    if (isOwnFolderAt(workFd, name)) {
        const UniqueFd folder(::openat(workFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.isValid())
            OutputFile::removeRecorded(folder.get(), LedgerName);
        tree_removal::removeAt(workFd, name);
    }
}

}  // namespace

WorkSession::WorkSession(const QString &workFolder) : m_workFolder(workFolder)
{
    m_folder = workFolder + QStringLiteral("/session-") + QString::number(::getpid()) + u'-'
               + QString::fromLatin1(randomPart());
    m_problem = private_folder::ensure(workFolder);
    if (m_problem != private_folder::Problem::None)
        return;
    removeStale(workFolder);

    const UniqueFd work(tree_removal::openFolder(workFolder));
    if (!work.isValid())
        return;
    for (int attempt = 0; attempt < ClaimAttempts; ++attempt) {
        const QByteArray name = SessionPrefix + QByteArray::number(::getpid()) + '-' + randomPart();
        const QByteArray hidden = '.' + name + LockSuffix;
        const QByteArray lockName = name + LockSuffix;
        UniqueFd lock(::openat(work.get(), hidden.constData(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!lock.isValid()) {
            if (errno == EEXIST)
                continue;
            return;
        }
        // Locked under the hidden name, then linked: whoever sees the final
        // name finds it locked, and a name that exists is never taken over.
        const bool claimed = lockWithoutWaiting(lock.get())
                             && ::linkat(work.get(), hidden.constData(), work.get(), lockName.constData(), 0) == 0;
        const int linkError = errno;
        ::unlinkat(work.get(), hidden.constData(), 0);
        if (!claimed) {
            if (linkError == EEXIST)
                continue;
            return;
        }
        if (::mkdirat(work.get(), name.constData(), 0700) != 0) {
            ::unlinkat(work.get(), lockName.constData(), 0);
            return;
        }
        m_folder = workFolder + u'/' + file_names::decode(name);
        m_lockPath = m_folder + QString::fromLatin1(LockSuffix);
        m_lockFd = lock.release();
        return;
    }
}

WorkSession::~WorkSession()
{
    release();
}

void WorkSession::release()
{
    if (m_lockFd < 0)
        return;
    const UniqueFd work(tree_removal::openFolder(m_workFolder));
    if (work.isValid()) {
        const QByteArray name = file_names::encode(m_folder.mid(m_workFolder.size() + 1));
        tree_removal::removeAt(work.get(), name);
        // The lock file goes while it is still locked, so nobody can lock it and
        // take the folder for a stale one in between.
        ::unlinkat(work.get(), (name + LockSuffix).constData(), 0);
    }
    ::close(m_lockFd);
    m_lockFd = -1;
}

QStringList WorkSession::removeStale(const QString &workFolder)
{
    QStringList removed;
    if (private_folder::check(workFolder) != private_folder::Problem::None)
        return removed;
    const UniqueFd work(tree_removal::openFolder(workFolder));
    if (!work.isValid())
        return removed;
    const QList<QByteArray> entries = sessionEntriesOf(work.get());
    for (const QByteArray &entry : entries) {
        if (!entry.endsWith(LockSuffix))
            continue;
        struct stat named {};
        if (::fstatat(work.get(), entry.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode))
            continue;
        const UniqueFd lock(::openat(work.get(), entry.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
        if (!lock.isValid() || !lockWithoutWaiting(lock.get()))
            continue;
        // Nobody holds it: its program has ended, unless the name now belongs
        // to another lock file than the one just locked (its owner released it
        // meanwhile and nothing of it is left to remove).
        struct stat locked {};
        if (::fstat(lock.get(), &locked) != 0
            || ::fstatat(work.get(), entry.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
            || locked.st_dev != named.st_dev || locked.st_ino != named.st_ino)
            continue;
        const QByteArray name = entry.chopped(LockSuffix.size());
        removeSession(work.get(), name);
        ::unlinkat(work.get(), entry.constData(), 0);
        removed << file_names::decode(name);
    }
    // A session folder without its lock file is what an interrupted clean-up
    // leaves: a program makes its lock file before its folder and removes it
    // after its folder.
    for (const QByteArray &entry : entries) {
        if (entry.endsWith(LockSuffix) || removed.contains(file_names::decode(entry)))
            continue;
        struct stat info {};
        if (::fstatat(work.get(), (entry + LockSuffix).constData(), &info, AT_SYMLINK_NOFOLLOW) == 0
            || errno != ENOENT || !isOwnFolderAt(work.get(), entry))
            continue;
        removeSession(work.get(), entry);
        removed << file_names::decode(entry);
    }
    return removed;
}
