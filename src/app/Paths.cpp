#include "app/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

namespace {

bool ensurePrivateFolder(const QString &folder)
{
    if (QDir(folder).exists())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    return true;
}

}  // namespace

bool Paths::ensureWorkFolder() const
{
    if (!ensurePrivateFolder(workFolder))
        return false;
    return sessionFolder.isEmpty() || ensurePrivateFolder(sessionFolder);
}
