#include "files/OutputFile.h"

#include "files/FileNames.h"

#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int NameAttempts = 64;
constexpr qsizetype LedgerLimit = 256 * 1024;

QByteArray randomHiddenName(qsizetype finalLength)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const qsizetype length = std::clamp<qsizetype>(finalLength, 8, 16);
    QByteArray name(length, '.');
    for (qsizetype i = 1; i < length; ++i)
        name[i] = letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))];
    return name;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool procFdsReachable() { return ::access("/proc/self/fd", X_OK) == 0; }

}  // namespace

OutputFile::~OutputFile() { discard(); }

bool OutputFile::create(const QString &destination, const QString &ledger, bool allowUnnamed)
{
    const QFileInfo info(destination);
    m_folderPath = info.absolutePath();
    m_destinationName = file_names::encode(info.fileName());
    m_ledger = ledger;
    // The folder the user chose may itself be reached through a link.
    m_folder.reset(::open(file_names::encode(m_folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_folder.isValid()) {
        m_error = errno;
        return false;
    }
    m_atStart = identityAtDestination();

    if (allowUnnamed && procFdsReachable()) {
        m_file.reset(::openat(m_folder.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
        if (m_file.isValid()) {
            m_unnamed = true;
            return true;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
            m_error = errno;
            return false;
        }
    }
    QByteArray name;
    return createNamed(name);
}

bool OutputFile::createNamed(QByteArray &name)
{
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        name = randomHiddenName(m_destinationName.size());
        if (!record(name, nullptr)) {
            m_error = errno ? errno : EIO;
            return false;
        }
        UniqueFd file(::openat(m_folder.get(), name.constData(),
                               O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, 0666));
        if (!file.isValid() && errno == EEXIST)
            continue;
        if (!file.isValid()) {
            m_error = errno;
            return false;
        }
        record(name, &file);
        if (!m_file.isValid())
            m_file = std::move(file);
        m_temporaryName = name;
        return true;
    }
    m_error = EEXIST;
    return false;
}

bool OutputFile::record(const QByteArray &name, const UniqueFd *file)
{
    if (m_ledger.isEmpty())
        return true;
    QByteArray line = file_names::encode(m_folderPath + u'/').toHex() + name.toHex();
    if (file) {
        struct stat info {};
        if (::fstat(file->get(), &info) != 0)
            return false;
        line += ' ' + QByteArray::number(qulonglong(info.st_dev)) + ' ' + QByteArray::number(qulonglong(info.st_ino));
    }
    line += '\n';
    const UniqueFd ledger(::open(file_names::encode(m_ledger).constData(),
                                 O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    return ledger.isValid() && writeAll(ledger.get(), line);
}

QString OutputFile::writerPath() const
{
    if (m_unnamed || procFdsReachable())
        return QStringLiteral("/proc/self/fd/%1").arg(m_file.get());
    return m_folderPath + u'/' + file_names::decode(m_temporaryName);
}

OutputFile::Identity OutputFile::identityAtDestination() const
{
    struct stat info {};
    if (::fstatat(m_folder.get(), m_destinationName.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return {true, info.st_dev, info.st_ino};
}

OutputFile::Outcome OutputFile::fail(int error)
{
    m_error = error;
    discard();
    return Outcome::Failed;
}

bool OutputFile::linkUnnamedAs(const QByteArray &name)
{
    if (::linkat(m_file.get(), "", m_folder.get(), name.constData(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_file.get());
    return ::linkat(AT_FDCWD, self.constData(), m_folder.get(), name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

bool OutputFile::copyToNamed(QByteArray &name)
{
    const UniqueFd source(::fcntl(m_file.get(), F_DUPFD_CLOEXEC, 0));
    UniqueFd unnamed = std::move(m_file);
    if (!createNamed(name)) {
        m_file = std::move(unnamed);
        return false;
    }
    loff_t from = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(source.get(), &from, m_file.get(), nullptr, 1 << 20, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_error = errno;
            return false;
        }
        if (n == 0)
            break;
    }
    m_unnamed = false;
    return ::fsync(m_file.get()) == 0 || (m_error = errno, false);
}

OutputFile::Outcome OutputFile::publish()
{
    if (!m_file.isValid() || m_published)
        return fail(EBADF);
    if (::fsync(m_file.get()) != 0 && errno != EINVAL)
        return fail(errno);

    // One publisher of this program at a time in this folder, so that the
    // look at the destination and the naming are one step for the others.
    while (::flock(m_folder.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    struct Unlock {
        int fd;
        ~Unlock() { ::flock(fd, LOCK_UN); }
    } unlock{m_folder.get()};

    const Identity now = identityAtDestination();
    if (!(now == m_atStart)) {
        discard();
        return Outcome::LostRace;
    }
    if (m_unnamed && !now.exists) {
        if (linkUnnamedAs(m_destinationName)) {
            m_published = true;
            return Outcome::Published;
        }
        if (errno == EEXIST) {
            discard();
            return Outcome::LostRace;
        }
    }
    // Replacing a file in one step takes a name to rename from.
    if (m_unnamed) {
        if (const int error = nameUnnamed())
            return fail(error);
    }
    return renameOver(now.exists);
}

int OutputFile::nameUnnamed()
{
    QByteArray name;
    bool linked = false;
    for (int attempt = 0; attempt < NameAttempts && !linked; ++attempt) {
        name = randomHiddenName(m_destinationName.size());
        if (!record(name, nullptr))
            return errno ? errno : EIO;
        linked = linkUnnamedAs(name);
        if (!linked && errno != EEXIST)
            break;
    }
    if (linked) {
        m_temporaryName = name;
        m_unnamed = false;
    } else if (!copyToNamed(name)) {
        return m_error ? m_error : errno;
    }
    return 0;
}

OutputFile::Outcome OutputFile::renameOver(bool replace)
{
    const char *destination = m_destinationName.constData();
    const char *temporary = m_temporaryName.constData();
    int renamed;
    if (replace) {
        renamed = ::renameat(m_folder.get(), temporary, m_folder.get(), destination);
    } else {
        renamed = ::renameat2(m_folder.get(), temporary, m_folder.get(), destination, RENAME_NOREPLACE);
        if (renamed != 0 && errno == EINVAL)  // a file system that cannot say "no replace"
            renamed = ::renameat(m_folder.get(), temporary, m_folder.get(), destination);
        if (renamed != 0 && errno == EEXIST) {
            discard();
            return Outcome::LostRace;
        }
    }
    if (renamed != 0)
        return fail(errno);
    m_temporaryName.clear();
    m_published = true;
    return Outcome::Published;
}

void OutputFile::discard()
{
    if (!m_published && !m_temporaryName.isEmpty() && m_folder.isValid() && m_file.isValid()) {
        // Only the file this job made goes, whatever may be at its name now.
        struct stat ours {};
        struct stat named {};
        if (::fstat(m_file.get(), &ours) == 0
            && ::fstatat(m_folder.get(), m_temporaryName.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && ours.st_dev == named.st_dev && ours.st_ino == named.st_ino)
            ::unlinkat(m_folder.get(), m_temporaryName.constData(), 0);
    }
    m_temporaryName.clear();
    m_file.reset();
    m_unnamed = false;
}

int OutputFile::removeRecorded(int ledgerFolderFd, const QByteArray &ledgerName)
{
    const UniqueFd ledger(::openat(ledgerFolderFd, ledgerName.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!ledger.isValid())
        return 0;
    QByteArray text(LedgerLimit, Qt::Uninitialized);
    const ssize_t n = ::read(ledger.get(), text.data(), size_t(text.size()));
    text.truncate(n > 0 ? n : 0);

    // A name recorded before its file existed has no identity yet; a later
    // line for the same name gives it.
    QMap<QByteArray, QList<QByteArray>> recorded;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.isEmpty() || fields.first().isEmpty())
            continue;
        if (fields.size() == 3 || !recorded.contains(fields.first()))
            recorded[fields.first()] = fields;
    }
    int removed = 0;
    for (auto entry = recorded.cbegin(); entry != recorded.cend(); ++entry) {
        const QByteArray path = QByteArray::fromHex(entry.key());
        const qsizetype slash = path.lastIndexOf('/');
        if (slash < 0)
            continue;
        const UniqueFd folder(::open(path.left(slash + 1).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const QByteArray name = path.mid(slash + 1);
        struct stat info {};
        if (!folder.isValid() || name.isEmpty()
            || ::fstatat(folder.get(), name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        const QList<QByteArray> &fields = entry.value();
        if (fields.size() == 3
            && (fields.at(1).toULongLong() != info.st_dev || fields.at(2).toULongLong() != info.st_ino))
            continue;
        if (::unlinkat(folder.get(), name.constData(), 0) == 0)
            ++removed;
    }
    return removed;
}
