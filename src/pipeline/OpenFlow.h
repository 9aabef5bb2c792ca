#pragma once

#include "pipeline/FlowContext.h"
#include "pipeline/JobProgress.h"
#include "pipeline/LivePeaks.h"

#include <QFuture>
#include <QObject>
#include <QString>
#include <QStringList>

// Toolbar button 0: open a media file and decode it into the working WAV, in
// place of the open one (nothing is lost: the working copy is derived). While the decode runs, the model holds the file as far
// as it is decoded (its announced length, the waveform so far), so that it can
// be played, seeked and marked; the open ends with the decode job: the model
// then holds the whole file, or nothing and the user is told why.
class OpenFlow {
public:
    explicit OpenFlow(FlowContext &context);
    ~OpenFlow();
    OpenFlow(const OpenFlow &) = delete;
    OpenFlow &operator=(const OpenFlow &) = delete;

    // Asks for a file and opens it in place of the open one, if any; a cancel
    // in the dialog keeps the open file as it is.
    void run();
    // Stops playback and starts the decode job for a chosen path in place of
    // the open file; the open is completed when the job ends (the decode
    // runner's finished).
    void openPath(const QString &path);
    void close();  // the close question and its reset; nothing when nothing is open
    // Opens entry `index` of the recent files in place of the open file; one
    // whose file has gone is said so and taken off the list.
    void openRecent(int index);
    // Stops a running decode; the program returns to where the open began and
    // the status strip says so. False when no decode runs.
    bool cancel();
    // The same, the decode's child ended for sure before this returns; what
    // the flow then reports depends on FlowContext::ending as for any end.
    bool cancelNow();

    // outputReceived of the decode runner
    void onDecodeOutput(const QString &piece);
    // The open file's waveform is still being read.
    bool isReadingPeaks() const { return m_peaksPending; }

    static QStringList openFilter();
    static QString tabCaption(const QString &path);

private:
    void onDecodeFinished();
    // The decode of `generation` has written `snapshot` so far.
    void onDecodeProgress(unsigned generation, const LivePeaks::Snapshot &snapshot);
    // The model's file as the last snapshot and the announced length have it.
    void showDecodedSoFar();
    // Back to nothing open after a decode that did not end whole.
    void dropPartialFile();
    void readPeaks();
    // Shows the peaks once they come; when none come and readWholeIfNone,
    // the working WAV is read whole instead.
    void awaitPeaks(QFuture<std::shared_ptr<const PeakSummary>> peaks, bool readWholeIfNone);
    // The decode's bar and its file name tab, shown while the decode runs.
    void setDecodeShown(bool shown);
    void showProgress(const std::optional<ProgressDisplay> &display);
    void reportFailure(const QString &path, const QString &reason);

    FlowContext &c;
    unsigned m_generation = 0;        // of the latest open
    unsigned m_decodeGeneration = 0;  // of the decode whose end is awaited; 0: none
    QString m_path;                   // that decode's source
    std::int32_t m_totalSeconds = 0;  // its duration, as the decoder said it
    QMetaObject::Connection m_finishedConnection;
    bool m_cancelled = false;
    bool m_peaksPending = false;
    JobProgress m_progress{ProgressJob::Decode};
    LivePeaks m_livePeaks;
    LivePeaks::Snapshot m_decodedSoFar;  // of the awaited decode; no rate: none yet
};
