#pragma once

#include "app/CommandLine.h"
#include "files/Paths.h"
#include "model/Seams.h"
#include "pipeline/CutJob.h"
#include "pipeline/JobProgress.h"

#include <QObject>
#include <QTextStream>
#include <memory>

class ProcessRunner;
class WorkSession;

// The command line's cut: the same cut and proof as the window, with progress
// and messages written as text instead of shown. Each run has its own working
// folder, so several can run at once.
//
// Only the stretch around the selection is decoded: the cut seeks the source
// (with loudness, the stretch is decoded into the working WAV first, where it
// is measured). Its samples are those of the window's cut of the same
// selection. When that quick way fails for any reason, the run goes the
// window's whole way (decode the whole file, check the selection against its
// length, cut), which gives the window's own messages.
class HeadlessCut : public QObject {
    Q_OBJECT
public:
    // Messages and progress go to `err`.
    HeadlessCut(const Paths &paths, QTextStream &err, QObject *parent = nullptr);
    ~HeadlessCut() override;

    // Begins the cut and returns; finished follows once with the exit status,
    // before start returns when the request is refused outright. ExitDone only
    // when the output is proven whole under its name; otherwise ExitFailed,
    // with the message the window would show, and nothing left under the
    // output's or the partial file's name. One cut per object.
    void start(const CommandLineRequest &request);

    // Ends a running decode or cut (a termination signal): the run then
    // finishes with ExitFailed and leaves nothing behind.
    void stop();

signals:
    void finished(int exitCode);

private:
    class TextMessages : public MessageSeam {
    public:
        explicit TextMessages(QTextStream &err) : m_err(err) {}
        MessageAnswer show(const QString &text, const QString &, MessageButtons, MessageIcon) override;

    private:
        QTextStream &m_err;
    };

    // The ways a run may go, quickest first.
    enum class Way { Seeking, Stretch, Whole };

    void newJob();
    void startWhole();
    void onDecodeFinished();
    void onStretchDecoded();
    void onWholeDecoded();
    void onCutFinished(const CutJob::Result &result);
    void fail(const QString &text);
    void conclude(int exitCode);
    void progress(const QString &what, const QString &label);

    Paths m_paths;
    QTextStream &m_err;
    TextMessages m_messages;
    std::unique_ptr<WorkSession> m_session;
    std::unique_ptr<ProcessRunner> m_decodeRunner;
    std::unique_ptr<ProcessRunner> m_cutRunner;
    std::unique_ptr<ProcessRunner> m_probeRunner;
    std::unique_ptr<CutJob> m_job;
    CommandLineRequest m_request;
    QString m_source;
    QString m_destination;
    JobProgress m_decodeProgress{ProgressJob::Decode};
    JobProgress m_cutProgress{ProgressJob::Cut};
    JobProgress m_stretchProgress{ProgressJob::Cut};
    std::int32_t m_totalSeconds = 0;
    Way m_way = Way::Whole;
    bool m_stopped = false;
    bool m_over = false;
    QString m_lastLabel;
};
