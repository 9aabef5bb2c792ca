#include "files/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "files/FileNames.h"
#include "files/PrivateFolder.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QString xdgFolder(const char *variable, const char *fallbackBelowHome)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackBelowHome);
    return QDir::cleanPath(base + QStringLiteral("/brindlewave"));
}

}  // namespace

Paths Paths::forThisProgram()
{
    Paths p;
    p.programFolder = QCoreApplication::applicationDirPath();
    p.workFolder = xdgFolder("XDG_CACHE_HOME", ".cache");
    p.configFolder = xdgFolder("XDG_CONFIG_HOME", ".config");
    return p;
}

QString Paths::settingsFile() const
{
    const QByteArray folder = QFile::encodeName(programFolder);
    if (!programFolder.isEmpty() && ::access(folder.constData(), W_OK) == 0)
        return programFolder + QStringLiteral("/setup.ini");
    return configFolder + QStringLiteral("/setup.ini");
}

QString Paths::workFolderProblem(bool create) const
{
    for (const QString &folder : {workFolder, sessionFolder}) {
        if (folder.isEmpty())
            continue;
        const private_folder::Problem problem = create ? private_folder::ensure(folder) : private_folder::check(folder);
        if (problem == private_folder::Problem::CannotCreate && !create)
            return QCoreApplication::translate("Paths", "工作文件夹不见了，可能被别的程序删除了：\n%1")
                .arg(file_names::displayed(folder));
        if (problem != private_folder::Problem::None)
            return private_folder::problemText(problem, folder);
        if (::access(file_names::encode(folder).constData(), W_OK | X_OK) != 0)
            return QCoreApplication::translate("Paths", "工作文件夹无法写入：\n%1\n\n%2")
                .arg(file_names::displayed(folder), QString::fromLocal8Bit(std::strerror(errno)));
    }
    return {};
}

bool Paths::isInsideWorkFolder(const QString &destination) const
{
    // The folder the destination would be written into, as the system resolves it.
    const QString work = QFileInfo(workFolder).canonicalFilePath();
    if (work.isEmpty())
        return false;
    const QString folder = QFileInfo(QFileInfo(destination).absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && ( folder == work || folder.startsWith(work + u'/'));
}
