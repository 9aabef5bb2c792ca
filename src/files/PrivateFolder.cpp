#include "files/PrivateFolder.h"

#include "files/FileNames.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace private_folder {

Problem check(const QString &path)
{
    struct stat info {};
    if (::lstat(file_names::encode(path).constData(), &info) != 0)
        return Problem::CannotCreate;
    if (S_ISLNK(info.st_mode))
        return Problem::Link;
    if (!S_ISDIR(info.st_mode))
        return Problem::NotAFolder;
    if (info.st_uid != ::geteuid())
        return Problem::NotOwned;
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Problem::OpenToOthers;
    return Problem::None;
}

Problem ensure(const QString &path)
{
    const QByteArray name = file_names::encode(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        // The parents are ordinary folders of the user's (~/.cache); only the
        // last one is private.
        const QString parent = QDir::cleanPath(path + QStringLiteral("/.."));
        QDir().mkpath(parent);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return Problem::CannotCreate;
    }
    return check(path);
}

QString problemText(Problem problem, const QString &path)
{
    QString why;
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::CannotCreate:
        why = QCoreApplication::translate("PrivateFolder", "无法建立这个文件夹。");
        break;
    case Problem::NotAFolder:
        why = QCoreApplication::translate("PrivateFolder", "这个名字上的不是文件夹。");
        break;
    case Problem::Link:
        why = QCoreApplication::translate("PrivateFolder", "它是一个指向别处的链接。");
        break;
    case Problem::NotOwned:
        why = QCoreApplication::translate("PrivateFolder", "它属于另一个用户。");
        break;
    case Problem::OpenToOthers:
        why = QCoreApplication::translate("PrivateFolder", "别的用户也可以往里面写入。");
        break;
    }
    return QCoreApplication::translate("PrivateFolder", "工作文件夹不能使用：\n%1\n\n%2"
                                       "为了保护你的文件，程序不在这里打开或写入任何文件。")
        .arg(file_names::displayed(path), why);
}

}  // namespace private_folder
