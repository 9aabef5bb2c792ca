#pragma once

#include "files/Paths.h"
#include "pipeline/Command.h"

#include <QString>
#include <QStringList>

// Proof that a cut is whole before it is called done: what ffprobe says of the
// written file and how long ffmpeg finds it when it decodes it whole (both run
// by the adapter as "coder --probe FILE"), and whether that is the ringtone
// that was asked for.

// coder --probe FILE
Command ProbeCommand(const Paths &paths, const QString &file);

struct ProbedFile {
    QStringList codecs;      // codec_name of every stream, in order
    QStringList types;       // codec_type of every stream, in order
    QList<int> sampleRates;  // sample_rate of every stream that gives one, in order
    QList<int> channels;     // channels of every stream that gives them, in order
    double duration = -1.0;  // of the container, seconds; -1 when not given
    // How far the sound could really be decoded, seconds; -1 when not given.
    // A file cut short may still carry a header promising the full length.
    double decodedDuration = -1.0;
};

// Reads the probe's "key=value" lines (codec_name, codec_type, sample_rate,
// channels, duration, decoded_duration).
ProbedFile parseProbe(const QString &output);

// The codec a cut to this format ("MP3", "M4R", ...) is written in.
QString expectedCodecOf(const QString &format);

// Allowed difference between the written length and the selection.
inline constexpr double CutLengthTolerance = 0.15;

// Empty when the file holds exactly one stream, audio in the format's codec
// (at the format's own rate and channels where it fixes them), whose container
// says it lasts the selection's length and which decodes whole to that length,
// both within the tolerance; otherwise what is wrong with it, in the
// program's language.
QString cutProblem(const ProbedFile &probed, const QString &format, double selectionSeconds);
