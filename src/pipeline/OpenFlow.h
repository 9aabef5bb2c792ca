#pragma once

#include "pipeline/FlowContext.h"
#include "pipeline/JobProgress.h"

#include <QString>
#include <QStringList>

// Toolbar button 0: open a media file and decode it into the working WAV, or
// close the open one.
class OpenFlow {
public:
    explicit OpenFlow(FlowContext &context);

    void run();                          // open, or close when a file is open
    void openPath(const QString &path);  // the decode job for a chosen path
    void close();                        // the close question and its reset
    // Stops a running decode; the program returns to where the open began and
    // the status strip says so. False when no decode runs.
    bool cancel();

    // outputReceived of the decode runner
    void onDecodeOutput(const QString &piece);

    static QStringList openFilter();
    static QString tabCaption(const QString &path);

private:
    // The decode's bar and its file name tab, shown while the decode runs.
    void setDecodeShown(bool shown);
    void showProgress(const std::optional<ProgressDisplay> &display);
    void reportFailure(const QString &path, const QString &reason);

    FlowContext &c;
    QString m_path;                 // the file the decode runs for
    std::int32_t m_totalSeconds = 0;  // its duration, as the decoder said it
    unsigned m_generation = 0;
    bool m_cancelled = false;
    JobProgress m_progress{ProgressJob::Decode};
};
