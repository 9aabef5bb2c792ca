#include "pipeline/RingtoneName.h"

#include <QFile>
#include <QFileInfo>

#include <sndfile.h>

QString readWorkTitle(const QString &wavPath)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(QFile::encodeName(wavPath).constData(), SFM_READ, &info);
    if (!file)
        return {};
    const char *title = sf_get_string(file, SF_STR_TITLE);
    const QString text = title ? QString::fromUtf8(title).trimmed() : QString();
    sf_close(file);
    return text;
}

QString minuteSecondsText(std::int64_t ms)
{
    const std::int64_t clamped = std::max<std::int64_t>(ms, 0);
    const std::int64_t seconds = clamped / 1000;
    QString text = QStringLiteral("%1.%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (clamped % 1000 != 0)
        text += QStringLiteral(".%1").arg(clamped % 1000, 3, 10, QLatin1Char('0'));
    return text;
}

namespace {

QString fitForFileName(const QString &text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar ch : text)
        name += (ch == u'/' || ch == u'\\' || ch.category() == QChar::Other_Control) ? QChar(u' ') : ch;
    name = name.simplified();
    while (name.startsWith(u'.') || name.startsWith(u' '))
        name.remove(0, 1);
    return name;
}

}  // namespace

QString suggestedRingtoneName(const QString &title, const QString &sourcePath, const Selection &selection,
                              const QString &extension)
{
    QString base = fitForFileName(title);
    if (base.isEmpty())
        base = fitForFileName(QFileInfo(sourcePath).completeBaseName());
    if (base.isEmpty())
        base = QStringLiteral("ringtone");
    const QString tail = u' ' + minuteSecondsText(selection.startMs) + u'-' + minuteSecondsText(selection.endMs)
                         + u'.' + extension;
    constexpr qsizetype MaxNameBytes = 255;
    // shorten by whole characters (never half a surrogate pair) until it fits
    while (!base.isEmpty() && (base + tail).toUtf8().size() > MaxNameBytes) {
        base.chop(base.size() >= 2 && base.at(base.size() - 1).isLowSurrogate() ? 2 : 1);
        base = base.trimmed();
    }
    return base + tail;
}
