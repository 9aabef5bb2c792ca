#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

// Whole files as bytes, for tests that look at what was written.

// Everything in the file; empty when it cannot be read.
inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file with exactly these bytes.
inline bool putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Hidden names in a folder: where a save's temporary file would show.
inline QStringList hiddenIn(const QString &folder)
{
    return QDir(folder).entryList(QStringList{QStringLiteral(".*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}
