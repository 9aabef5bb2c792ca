#include "playback/ShortName.h"

#include <QFileInfo>

QString GetShortName(const QString &path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return QString();
    return path;
}
