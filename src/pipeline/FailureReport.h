#pragma once

#include <QString>

// Why a transcoder job failed, read from everything it wrote, as the user
// should be told it: one short sentence for the cause and, as detail, the
// transcoder's own line that shows it.
enum class FailureCause {
    EncoderMissing,  // this ffmpeg cannot write the chosen format
    DiskFull,
    NoPermission,
    Vanished,        // a file it needed is not there (any more)
    NoSound,         // the file holds no audio stream
    NotMedia,        // not a music or video file it can read
    Stopped,         // stopped or killed from outside
    Unknown,
};

struct FailureReport {
    FailureCause cause = FailureCause::Unknown;
    QString sentence;  // in the program's language
    QString detail;    // the transcoder's own line; may be empty
};

// Reads the whole output of a job that ended with exitCode (the adapter's
// status, 128 + n when ffmpeg was ended by signal n) or, when !exitedNormally,
// was itself ended by a signal.
FailureReport explainFailure(const QString &output, bool exitedNormally, int exitCode);

// The sentence the user reads for a cause.
QString failureSentence(FailureCause cause);

// The report as one block of text for a message box: the sentence and, when
// there is one, the transcoder's line.
QString failureText(const FailureReport &report);
