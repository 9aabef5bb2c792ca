#include "pipeline/CutCheck.h"

#include "model/CutFormats.h"
#include "pipeline/LineAssembler.h"

#include <cmath>
#include <QCoreApplication>

Command ProbeCommand(const Paths &paths, const QString &file)
{
    return Command{paths.coder(), {QStringLiteral("--probe"), file}};
}

ProbedFile parseProbe(const QString &output)
{
    ProbedFile probed;
    LineAssembler lines;
    QStringList all = lines.feed(output);
    all.append(lines.takeRest());
    for (const QString &line : std::as_const(all)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QStringView key = QStringView(line).left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == u"codec_name") {
            probed.codecs.append(value);
        } else if (key == u"codec_type") {
            probed.types.append(value);
        } else if (key == u"sample_rate" || key == u"channels") {
            bool ok = false;
            const int number = value.toInt(&ok);
            if (ok)
                (key == u"channels" ? probed.channels : probed.sampleRates).append(number);
        } else if (key == u"duration" || key == u"decoded_duration") {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (ok && std::isfinite(seconds))
                (key == u"duration" ? probed.duration : probed.decodedDuration) = seconds;
        }
    }
    return probed;
}

QString expectedCodecOf(const QString &format)
{
    const CutFormat *known = cutFormatWithId(format);
    return known ? known->codec : QString();
}

QString cutProblem(const ProbedFile &probed, const QString &format, double selectionSeconds)
{
    const qsizetype audio = probed.types.count(QStringLiteral("audio"));
    if (audio == 0)
        return QCoreApplication::translate("CutCheck", "写出的文件里没有声音。");
    if (audio != 1 || probed.types.size() != 1)
        return QCoreApplication::translate("CutCheck", "写出的文件应当只有一路声音，却有 %1 路数据。").arg(probed.types.size());
    const QString expected = expectedCodecOf(format);
    const QString codec = probed.codecs.value(probed.types.indexOf(QStringLiteral("audio")));
    if (codec != expected)
        return QCoreApplication::translate("CutCheck", "写出的声音编码是 %1，应当是 %2。").arg(codec.isEmpty() ? QCoreApplication::translate("CutCheck", "未知") : codec, expected);
    const CutFormat *known = cutFormatWithId(format);
    if (known && known->sampleRate > 0 && probed.sampleRates.value(0) != known->sampleRate)
        return QCoreApplication::translate("CutCheck", "写出的声音是 %1 Hz，应当是 %2 Hz。").arg(probed.sampleRates.value(0)).arg(known->sampleRate);
    if (known && known->channels > 0 && probed.channels.value(0) != known->channels)
        return QCoreApplication::translate("CutCheck", "写出的声音有 %1 个声道，应当是 %2 个。").arg(probed.channels.value(0)).arg(known->channels);
    // A container that tells its length must tell the selection's; read
    // through a pipe, some (MP3, WAV, OGG, AMR) cannot tell it, and the
    // decoded length alone proves them.
    if (probed.duration >= 0 && std::fabs(probed.duration - selectionSeconds) > CutLengthTolerance)
        return QCoreApplication::translate("CutCheck", "写出的文件长 %1 秒，选择的是 %2 秒。")
            .arg(QString::number(probed.duration, 'f', 2), QString::number(selectionSeconds, 'f', 2));
    if (probed.decodedDuration < 0)
        return QCoreApplication::translate("CutCheck", "写出的文件无法完整解码，文件不完整。");
    if (std::fabs(probed.decodedDuration - selectionSeconds) > CutLengthTolerance)
        return QCoreApplication::translate("CutCheck", "写出的文件只能解码出 %1 秒，选择的是 %2 秒，文件不完整。")
            .arg(QString::number(probed.decodedDuration, 'f', 2), QString::number(selectionSeconds, 'f', 2));
    return {};
}
