#include "settings/ProgramConfig.h"

#include "model/EditorModel.h"
#include "model/CutFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString FadeInKey = QStringLiteral("cut/fadeInMs");
const QString FadeOutKey = QStringLiteral("cut/fadeOutMs");
const QString NormalizeKey = QStringLiteral("cut/normalize");
const QString LastFormatKey = QStringLiteral("save/lastFormat");
const QString LastFolderKey = QStringLiteral("save/lastFolder");
const QString OpenFolderKey = QStringLiteral("open/folder");
const QString OpenFilterKey = QStringLiteral("open/filter");
const QString RecentKey = QStringLiteral("open/recent");

std::int64_t fadeValue(const QSettings &settings, const QString &key)
{
    bool ok = false;
    const qlonglong ms = settings.value(key).toString().trimmed().toLongLong(&ok);
    return ok && ms >= 0 && ms <= MaxFadeMs ? ms : 0;
}

bool flagValue(const QSettings &settings, const QString &key)
{
    return settings.value(key).toString().trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

// The file holds a few short lines. One larger than this is damaged (or not
// this program's), and reading it would cost time and memory for nothing.
constexpr qint64 SizeLimit = 64 * 1024;

// Whether the file is one the program reads: a regular file (or a link to
// one) of at most SizeLimit bytes. A FIFO or device is never opened.
bool isReadable(const QFileInfo &file)
{
    return file.isFile() && file.size() <= SizeLimit;
}

}  // namespace

ProgramConfig readProgramConfig(const QString &path)
{
    ProgramConfig config;
    if (!isReadable(QFileInfo(path)))
        return config;
    const QSettings settings(path, QSettings::IniFormat);
    config.shaping.fadeInMs = fadeValue(settings, FadeInKey);
    config.shaping.fadeOutMs = fadeValue(settings, FadeOutKey);
    config.shaping.normalize = flagValue(settings, NormalizeKey);
    const QString format = settings.value(LastFormatKey).toString().trimmed().toUpper();
    if (cutFormatWithId(format))
        config.lastFormat = format;
    const QString folder = settings.value(LastFolderKey).toString();
    if (QDir::isAbsolutePath(folder))
        config.lastFolder = folder;
    if (const QString openFolder = settings.value(OpenFolderKey).toString(); QDir::isAbsolutePath(openFolder))
        config.open.folder = openFolder;
    bool ok = false;
    const int filter = settings.value(OpenFilterKey).toString().trimmed().toInt(&ok);
    config.open.filter = ok && filter >= 0 && filter < 100 ? filter : 0;
    // repeats and entries past the last kept are the model's to drop
    for (const QString &path : settings.value(RecentKey).toStringList()) {
        if (QDir::isAbsolutePath(path))
            config.open.recent << path;
    }
    return config;
}

bool writeProgramConfig(const QString &path, const ProgramConfig &config)
{
    const QFileInfo file(path);
    if (!QDir().mkpath(file.absolutePath()))
        return false;
    // A file the program would not read is not kept either: it starts afresh.
    // A folder in its place is left alone, and the write fails.
    if (file.exists() && !file.isDir() && !isReadable(file) && !QFile::remove(path))
        return false;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() == QSettings::FormatError) {
        // Nothing in a file Qt cannot parse can be kept: start it afresh.
        settings.clear();
    }
    settings.setValue(FadeInKey, QString::number(config.shaping.fadeInMs));
    settings.setValue(FadeOutKey, QString::number(config.shaping.fadeOutMs));
    settings.setValue(NormalizeKey, config.shaping.normalize ? QStringLiteral("true") : QStringLiteral("false"));
    settings.setValue(LastFormatKey, config.lastFormat);
    settings.setValue(LastFolderKey, config.lastFolder);
    settings.setValue(OpenFolderKey, config.open.folder);
    settings.setValue(OpenFilterKey, QString::number(config.open.filter));
    settings.setValue(RecentKey, config.open.recent);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

ProgramConfig rememberedConfig(const EditorModel &model)
{
    return ProgramConfig{model.shaping(), model.lastSave().format, model.lastSave().folder, model.openHistory()};
}

void recallConfig(const ProgramConfig &config, EditorModel &model)
{
    model.setShaping(config.shaping);
    model.setLastSave(LastSave{config.lastFormat, config.lastFolder});
    model.setOpenHistory(config.open);
}
