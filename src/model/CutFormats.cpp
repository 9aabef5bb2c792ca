#include "model/CutFormats.h"

#include <QCoreApplication>

const QList<CutFormat> &cutFormats()
{
    // The first four keep the option sets ringtones have always been cut with.
    // AAC goes into the iPod flavour of MP4, which is what the phones read; it
    // is named explicitly because the transcoder knows no ".m4r" ending.
    // AAC-LC, 192 kbit/s, 44.1 kHz stereo: the iPhone ringtone and M4A alike.
    const QStringList aacInMp4{QStringLiteral("-y"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                               QStringLiteral("-profile:a"), QStringLiteral("aac_low"), QStringLiteral("-b:a"),
                               QStringLiteral("192k"), QStringLiteral("-ar"), QStringLiteral("44100"),
                               QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-movflags"),
                               QStringLiteral("+faststart"), QStringLiteral("-f"), QStringLiteral("ipod")};
    static const QList<CutFormat> formats = {
        {QStringLiteral("MP3"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "MP3 Files(*.mp3)")), QStringLiteral("mp3"),
         {QStringLiteral("-y"), QStringLiteral("-ab"), QStringLiteral("320k"), QStringLiteral("-ar"),
          QStringLiteral("48000"), QStringLiteral("-ac"), QStringLiteral("2")},
         QStringLiteral("mp3"), 48000, 2},
        {QStringLiteral("WMA"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "WMA Files(*.wma)")), QStringLiteral("wmav1"),
         {QStringLiteral("-y"), QStringLiteral("-acodec"), QStringLiteral("wmav1")}, QStringLiteral("asf"), 0, 0},
        {QStringLiteral("WAV"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "WAV Files(*.wav)")), QStringLiteral("pcm_s16le"),
         {QStringLiteral("-y")}, QStringLiteral("wav"), 0, 0},
        {QStringLiteral("AMR"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "AMR Files(*.amr)")), QStringLiteral("amr_nb"),
         {QStringLiteral("-y"), QStringLiteral("-ar"), QStringLiteral("8000"), QStringLiteral("-ab"),
          QStringLiteral("7.4k"), QStringLiteral("-ac"), QStringLiteral("1")},
         QStringLiteral("amr"), 8000, 1},
        {QStringLiteral("M4R"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "iPhone 铃声(*.m4r)")), QStringLiteral("aac"),
         aacInMp4, QStringLiteral("ipod"), 44100, 2},
        {QStringLiteral("OGG"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "OGG 格式(*.ogg)")), QStringLiteral("vorbis"),
         {QStringLiteral("-y"), QStringLiteral("-c:a"), QStringLiteral("libvorbis"), QStringLiteral("-b:a"),
          QStringLiteral("160k"), QStringLiteral("-ar"), QStringLiteral("44100"), QStringLiteral("-ac"),
          QStringLiteral("2"), QStringLiteral("-f"), QStringLiteral("ogg")},
         QStringLiteral("ogg"), 44100, 2},
        {QStringLiteral("M4A"), QString::fromUtf8(QT_TRANSLATE_NOOP("CutFormats", "M4A 格式(*.m4a)")), QStringLiteral("aac"),
         aacInMp4, QStringLiteral("ipod"), 44100, 2},
    };
    return formats;
}

const CutFormat *cutFormatWithId(const QString &id)
{
    const int index = cutFormatIndex(id);
    return index < 0 ? nullptr : &cutFormats().at(index);
}

int cutFormatIndex(const QString &id)
{
    const QList<CutFormat> &formats = cutFormats();
    for (int i = 0; i < formats.size(); ++i) {
        if (formats.at(i).id == id)
            return i;
    }
    return -1;
}
