#include "files/TreeRemoval.h"

#include "files/FileNames.h"
#include "files/UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tree_removal {

namespace {

// Deeper than any folder the program makes; a deeper tree is not ours.
constexpr int DepthLimit = 16;

bool removeEntryAt(int parentFd, const char *name, int depth);

// Empties the open folder folderFd.
bool emptyFolder(int folderFd, int depth)
{
    bool whole = true;
    for (const QByteArray &name : namesIn(folderFd))
        whole = removeEntryAt(folderFd, name.constData(), depth + 1) && whole;
    return whole;
}

bool removeEntryAt(int parentFd, const char *name, int depth)
{
    struct stat info {};
    if (::fstatat(parentFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(info.st_mode))
        return ::unlinkat(parentFd, name, 0) == 0 || errno == ENOENT;
    if (info.st_uid != ::geteuid() || depth > DepthLimit)
        return false;
    const UniqueFd folder(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.isValid())
        return errno == ENOENT;
    // The name may have been swapped for another folder since it was looked at.
    struct stat opened {};
    if (::fstat(folder.get(), &opened) != 0 || opened.st_dev != info.st_dev || opened.st_ino != info.st_ino)
        return false;
    if (!emptyFolder(folder.get(), depth))
        return false;
    return ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

}  // namespace

QList<QByteArray> namesIn(int folderFd)
{
    QList<QByteArray> names;
    const int listFd = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (listFd < 0)
        return names;
    DIR *listing = ::fdopendir(listFd);
    if (!listing) {
        ::close(listFd);
        return names;
    }
    ::rewinddir(listing);
    while (dirent *entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names << QByteArray(entry->d_name);
    }
    ::closedir(listing);
    return names;
}

bool removeAt(int parentFd, const QByteArray &name)
{
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/'))
        return false;
    return removeEntryAt(parentFd, name.constData(), 0);
}

int openFolder(const QString &path)
{
    return ::open(file_names::encode(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool remove(const QString &parent, const QString &name)
{
    const UniqueFd folder(openFolder(parent));
    return folder.isValid() && removeAt(folder.get(), file_names::encode(name));
}

}  // namespace tree_removal
