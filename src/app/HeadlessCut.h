#pragma once

#include "app/CommandLine.h"
#include "files/Paths.h"
#include "model/Seams.h"

#include <QObject>
#include <QTextStream>
#include <memory>

class ProcessRunner;
class CutJob;

// The command line's cut: the same decode, cut and proof as the window, with
// progress and messages written as text instead of shown. Each run has its own
// working folder, so several can run at once.
class HeadlessCut : public QObject {
    Q_OBJECT
public:
    // Messages and progress go to `err`.
    HeadlessCut(const Paths &paths, QTextStream &err, QObject *parent = nullptr);
    ~HeadlessCut() override;

    // Runs the whole cut and returns the exit status: ExitDone only when the
    // output is proven whole under its name; otherwise ExitFailed, with the
    // message the window would show, and nothing left under the output's or
    // the partial file's name.
    int run(const CommandLineRequest &request);

    // Ends a running decode or cut (a termination signal): run() then
    // returns ExitFailed and leaves nothing behind.
    void stop();

private:
    class TextMessages : public MessageSeam {
    public:
        explicit TextMessages(QTextStream &err) : m_err(err) {}
        MessageAnswer show(const QString &text, const QString &, MessageButtons, MessageIcon) override;

    private:
        QTextStream &m_err;
    };

    int fail(const QString &text);
    void progress(const QString &what, const QString &label);

    Paths m_paths;
    QTextStream &m_err;
    TextMessages m_messages;
    std::unique_ptr<ProcessRunner> m_decodeRunner;
    std::unique_ptr<ProcessRunner> m_cutRunner;
    std::unique_ptr<ProcessRunner> m_probeRunner;
    std::unique_ptr<CutJob> m_job;
    bool m_stopped = false;
    QString m_lastLabel;
};
