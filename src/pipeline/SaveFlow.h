#pragma once

#include "pipeline/CutJob.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/FlowContext.h"
#include "pipeline/JobProgress.h"
#include "pipeline/SaveTarget.h"

#include "model/EditorModel.h"

#include <QString>
#include <QStringList>

// Toolbar button 1: cut the selection out of the working WAV into the file the
// user names. The cut is written under a temporary name beside the destination
// and renamed when whole, so a failed cut never leaves a half file behind.
class SaveFlow {
public:
    explicit SaveFlow(FlowContext &context);

    void run();
    void onCutOutput(const QString &piece);
    // Stops a running cut: nothing is written, and the status strip says so.
    // False when no cut runs.
    bool cancel();
    // The same, the cut's child ended for sure before this returns; what the
    // flow then reports depends on FlowContext::ending as for any end.
    bool cancelNow();
    // From the start of a cut until its end is reported.
    bool isCutting() const { return m_job.isRunning(); }
    // The completion notice's two actions, on the file it names.
    void openSavedFolder();
    void playSaved();

    static QStringList saveFilter();
    static QString folderOfPath(const QString &path);
    // Why a destination inside the working folder is refused.
    static QString workFolderDestinationText(const QString &destination);
    // What the user reads when the selection cannot be saved.
    static QString selectionProblemText(save_target::SelectionProblem problem, std::int64_t lengthMs);
    // A file size as the completion notice gives it: "712 KB", "1.4 MB".
    static QString sizeText(qint64 bytes);

private:
    void cut(const QString &destination, const Selection &selection);
    // The end of every cut: the progress ends, the buttons come back, and
    // unless the program is ending the user learns the outcome.
    void onJobFinished(const CutJob::Result &result);
    void afterSuccessfulSave(const QString &destination, double seconds);
    void reportFailure(const QString &destination, const QString &reason);
    void setJobRunning(bool running, const QString &destination);
    void warn(const QString &text);
    void showProgress(const std::optional<ProgressDisplay> &display);

    FlowContext &c;
    JobProgress m_progress{ProgressJob::Cut};
    ProcessRunner m_probe;  // asks ffprobe, through the adapter, what a cut wrote
    CutJob m_job;
    double m_seconds = 0.0;  // the length of the stretch being cut
    QString m_destination;   // of the running cut
};
