#include "pipeline/SaveTarget.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace save_target {

SelectionProblem checkSelection(std::int64_t lengthMs, const Marks &marks)
{
    if (lengthMs <= 0)
        return SelectionProblem::NothingOpen;
    const std::optional<Selection> sel = marks.selection();
    if (!sel)
        return SelectionProblem::NoEnd;
    if (sel->lengthMs() < MinimumLengthMs)
        return SelectionProblem::Empty;
    if (sel->startMs < 0 || sel->endMs > lengthMs)
        return SelectionProblem::PastEnd;
    return SelectionProblem::None;
}

QString dialogFolder(const QString &sourcePath, const QString &lastSaveFolder,
                     const QString &musicFolder, const QString &homeFolder,
                     const std::function<bool(const QString &)> &isWritableFolder)
{
    const QString sourceFolder = sourcePath.isEmpty() ? QString() : QFileInfo(sourcePath).absolutePath();
    for (const QString &candidate : {sourceFolder, lastSaveFolder, musicFolder}) {
        if (!candidate.isEmpty() && isWritableFolder(candidate))
            return candidate;
    }
    return homeFolder;
}

bool isWritableFolder(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder);
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode)
           && ::access(name.constData(), W_OK | X_OK) == 0;
}

bool isSameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat first {};
    struct stat second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0
           && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QString tidiedDestination(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.left(slash + 1);
    QString name = path.mid(slash + 1).trimmed();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name = name.left(dot).trimmed() + name.mid(dot);
    if (name.isEmpty())
        return {};
    return folder + name;
}

}  // namespace save_target
