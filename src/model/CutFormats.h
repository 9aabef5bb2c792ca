#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The formats a ringtone can be saved in, as one table: the save dialog's type
// list, the format a destination's ending picks, the transcoder options of the
// cut and the codec the written file must hold all come from it.
struct CutFormat {
    QString id;           // "MP3": the destination's last three characters, upper case
    QString description;  // the save dialog's type, with its pattern (a source text, translated where shown)
    QString codec;        // codec_name ffprobe reports for a whole cut
    QStringList options;  // transcoder options between the selection and the destination
    QString muxer;        // the container, named where the output's name has no ending to tell it
    int sampleRate = 0;   // of the written file; 0: that of the working WAV
    int channels = 0;     // of the written file; 0: that of the working WAV
};

// In the order the save dialog offers them.
const QList<CutFormat> &cutFormats();

// The format with this id, or null.
const CutFormat *cutFormatWithId(const QString &id);

// Position of the format in cutFormats(), or -1.
int cutFormatIndex(const QString &id);

// Phones of one maker refuse ringtones longer than this.
inline constexpr std::int64_t LongestIphoneRingtoneMs = 40000;
