#include "app/HeadlessCut.h"

#include "files/WorkSession.h"
#include "pipeline/CommandLines.h"
#include "model/CutFormats.h"
#include "pipeline/CutJob.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/DecodeProof.h"
#include "pipeline/JobProgress.h"
#include "pipeline/SaveFlow.h"
#include "pipeline/SaveTarget.h"

#include <QFileInfo>
#include <QCoreApplication>

MessageAnswer HeadlessCut::TextMessages::show(const QString &text, const QString &, MessageButtons, MessageIcon)
{
    m_err << text << Qt::endl;
    return MessageAnswer::Ok;
}

HeadlessCut::HeadlessCut(const Paths &paths, QTextStream &err, QObject *parent)
    : QObject(parent), m_paths(paths), m_err(err), m_messages(err)
{
    m_decodeRunner = std::make_unique<ProcessRunner>(m_messages);
    m_cutRunner = std::make_unique<ProcessRunner>(m_messages);
    m_probeRunner = std::make_unique<ProcessRunner>(m_messages);
}

HeadlessCut::~HeadlessCut() = default;

int HeadlessCut::fail(const QString &text)
{
    m_err << text << Qt::endl;
    return ExitFailed;
}

void HeadlessCut::progress(const QString &what, const QString &label)
{
    if (label == m_lastLabel)
        return;
    m_lastLabel = label;
    m_err << what << u' ' << label << Qt::endl;
}

void HeadlessCut::stop()
{
    m_stopped = true;
    if (m_job && m_job->cancel())
        return;
    for (ProcessRunner *runner : {m_decodeRunner.get(), m_cutRunner.get(), m_probeRunner.get()}) {
        if (runner->isRunning())
            runner->stop();
    }
}

int HeadlessCut::run(const CommandLineRequest &request)
{
    const QString source = QFileInfo(request.source).absoluteFilePath();
    const QString destination = QFileInfo(request.output.trimmed()).absoluteFilePath();
    if (!cutFormatWithId(cutFormatOf(destination))) {
        QStringList names;
        for (const CutFormat &known : cutFormats())
            names << known.id;
        return fail(QCoreApplication::translate("HeadlessCut", "不能保存为这种格式：\n%1\n\n请选择 %2 格式。")
                        .arg(destination, names.join(QCoreApplication::translate("HeadlessCut", "、"))));
    }
    if (save_target::isSameFile(destination, source))
        return fail(QCoreApplication::translate("HeadlessCut", "不能保存到这个文件：\n%1\n\n它就是正在编辑的原文件，原文件只读取、不覆盖。请换一个文件名。")
                        .arg(destination));

    if (m_paths.isInsideWorkFolder(destination))
        return fail(SaveFlow::workFolderDestinationText(destination));

    // A working folder of this run's own, gone when the run ends.
    WorkSession session(m_paths.workFolder);
    m_paths.sessionFolder = session.folder();
    if (const QString problem = m_paths.workFolderProblem(); !problem.isEmpty())
        return fail(problem);

    JobProgress decodeProgress{ProgressJob::Decode};
    std::int32_t totalSeconds = 0;
    connect(m_decodeRunner.get(), &ProcessRunner::outputReceived, this, [&](const QString &piece) {
        if (const auto display = decodeProgress.feed(piece, totalSeconds, 0.0))
            progress(QCoreApplication::translate("HeadlessCut", "打开"), display->label);
    });
    m_decodeRunner->run(DecodeCommand(m_paths, source));
    if (m_stopped)
        return fail(QCoreApplication::translate("HeadlessCut", "已取消，没有写出文件。"));
    if (!m_decodeRunner->lastStarted())
        return ExitFailed;  // the runner has said why
    const DecodeOutcome decoded = proveDecode(*m_decodeRunner, m_paths.workWav(), m_paths.workFolderProblem(false));
    if (!decoded.facts)
        return fail(QCoreApplication::translate("HeadlessCut", "无法打开这个文件：\n%1\n\n%2").arg(source, decoded.reason));

    const std::int64_t lengthMs = decoded.facts->lengthMs();
    const auto problem =
        save_target::checkSelection(lengthMs, Marks{request.selection.startMs, request.selection.endMs});
    if (problem != save_target::SelectionProblem::None)
        return fail(SaveFlow::selectionProblemText(problem, lengthMs));
    if (cutFormatOf(destination) == u"M4R" && request.selection.lengthMs() > LongestIphoneRingtoneMs)
        m_err << QCoreApplication::translate("HeadlessCut", "注意：这段铃声长 %1 秒，iPhone 只把不超过 40 秒的 M4R 文件当作铃声。")
                     .arg(QString::number(request.selection.seconds(), 'f', 1))
              << Qt::endl;

    JobProgress cutProgress{ProgressJob::Cut};
    m_lastLabel.clear();
    connect(m_cutRunner.get(), &ProcessRunner::outputReceived, this, [&](const QString &piece) {
        std::int32_t unused = 0;
        if (const auto display = cutProgress.feed(piece, unused, request.selection.seconds()))
            progress(QCoreApplication::translate("HeadlessCut", "保存"), display->label);
    });
    m_job = std::make_unique<CutJob>(*m_cutRunner, *m_probeRunner, m_paths);
    const bool ending = false;
    const CutJob::Result result = m_job->run(request.selection, request.shaping, destination, ending);
    switch (result.kind) {
    case CutJob::Result::Whole:
        m_err << QCoreApplication::translate("HeadlessCut", "已保存 %1（%2 秒，%3）")
                     .arg(destination, QString::number(result.seconds, 'f', 1),
                          SaveFlow::sizeText(QFileInfo(destination).size()))
              << Qt::endl;
        return ExitDone;
    case CutJob::Result::Cancelled:
        return fail(QCoreApplication::translate("HeadlessCut", "已取消保存，没有写出文件。"));
    case CutJob::Result::Failed:
        return fail(QCoreApplication::translate("HeadlessCut", "铃声没有保存：\n%1\n\n%2").arg(destination, result.reason));
    case CutJob::Result::Untold:
        break;
    }
    return ExitFailed;
}
