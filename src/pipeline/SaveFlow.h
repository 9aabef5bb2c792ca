#pragma once

#include "pipeline/FlowContext.h"
#include "pipeline/SaveTarget.h"

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

    static QStringList saveFilter();
    static QString FolderOfPath(const QString &path);
    // the name the transcoder writes to before the cut is known to be whole
    static QString partialNameFor(const QString &destination);
    // What the user reads when the selection cannot be saved.
    static QString selectionProblemText(save_target::SelectionProblem problem, std::int64_t lengthMs);

private:
    void cut(const QString &destination);
    void afterSuccessfulSave(const QString &destination);
    void reportFailure(const QString &destination, const QString &reason);
    void setJobRunning(bool running);
    void warn(const QString &text);

    FlowContext &c;
    QString m_lastSaveFolder;  // of the last save since the program started
};
