#include "app/HeadlessCut.h"

#include "files/WorkSession.h"
#include "pipeline/CommandLines.h"
#include "model/CutFormats.h"
#include "pipeline/CutJob.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/DecodeProof.h"
#include "pipeline/SaveFlow.h"
#include "pipeline/SaveTarget.h"

#include <QFileInfo>
#include <QCoreApplication>

#include <limits>

namespace {

// The stretch of the source a cut with loudness decodes into the working WAV.
Selection stretchOf(const Selection &selection)
{
    return Selection{seekPointMs(selection), selection.endMs + 1000};
}

}  // namespace

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
    connect(m_decodeRunner.get(), &ProcessRunner::outputReceived, this, [this](const QString &piece) {
        std::int32_t unused = 0;
        // A stretch's progress is told against its own length, as a cut's is.
        const auto display = m_way == Way::Stretch
                                 ? m_stretchProgress.feed(piece, unused, stretchOf(m_request.selection).seconds())
                                 : m_decodeProgress.feed(piece, m_totalSeconds, 0.0);
        if (display)
            progress(QCoreApplication::translate("HeadlessCut", "打开"), display->label);
    });
    connect(m_decodeRunner.get(), &ProcessRunner::finished, this, &HeadlessCut::onDecodeFinished);
    connect(m_cutRunner.get(), &ProcessRunner::outputReceived, this, [this](const QString &piece) {
        std::int32_t unused = 0;
        if (const auto display = m_cutProgress.feed(piece, unused, m_request.selection.seconds()))
            progress(QCoreApplication::translate("HeadlessCut", "保存"), display->label);
    });
}

HeadlessCut::~HeadlessCut() = default;

void HeadlessCut::fail(const QString &text)
{
    m_err << text << Qt::endl;
    conclude(ExitFailed);
}

void HeadlessCut::conclude(int exitCode)
{
    if (std::exchange(m_over, true))
        return;
    // This run's working folder goes with it.
    m_session.reset();
    emit finished(exitCode);
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
    for (ProcessRunner *runner : {m_decodeRunner.get(), m_cutRunner.get(), m_probeRunner.get()})
        runner->stop();
}

void HeadlessCut::start(const CommandLineRequest &request)
{
    m_request = request;
    m_source = QFileInfo(request.source).absoluteFilePath();
    m_destination = QFileInfo(request.output.trimmed()).absoluteFilePath();
    const QString &source = m_source;
    const QString &destination = m_destination;
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
    m_session = std::make_unique<WorkSession>(m_paths.workFolder);
    m_paths.sessionFolder = m_session->folder();
    if (const QString problem = m_paths.workFolderProblem(); !problem.isEmpty())
        return fail(problem);

    // What can be told before the file's length is known is told now; a
    // selection past the end is found by the whole way.
    const Selection &selection = m_request.selection;
    const auto problem = save_target::checkSelection(std::numeric_limits<std::int64_t>::max(),
                                                     Marks{selection.startMs, selection.endMs});
    if (problem != save_target::SelectionProblem::None && problem != save_target::SelectionProblem::PastEnd)
        return fail(SaveFlow::selectionProblemText(problem, 0));
    if (problem == save_target::SelectionProblem::PastEnd)
        return startWhole();
    if (cutFormatOf(m_destination) == u"M4R" && selection.lengthMs() > LongestIphoneRingtoneMs)
        m_err << QCoreApplication::translate("HeadlessCut", "注意：这段铃声长 %1 秒，iPhone 只把不超过 40 秒的 M4R 文件当作铃声。")
                     .arg(QString::number(selection.seconds(), 'f', 1))
              << Qt::endl;

    if (m_request.shaping.normalize) {
        m_way = Way::Stretch;
        if (!m_decodeRunner->start(StretchDecodeCommand(m_paths, m_source, selection)))
            return conclude(ExitFailed);  // the runner has said why
        return;
    }
    m_way = Way::Seeking;
    newJob();
    m_job->startFromSource(m_source, selection, m_request.shaping, m_destination);
}

void HeadlessCut::newJob()
{
    // Made once the working folder is known: the job learns the paths with it.
    m_job = std::make_unique<CutJob>(*m_cutRunner, *m_probeRunner, m_paths);
    connect(m_job.get(), &CutJob::finished, this, &HeadlessCut::onCutFinished);
}

void HeadlessCut::startWhole()
{
    m_way = Way::Whole;
    m_lastLabel.clear();
    if (!m_decodeRunner->start(DecodeCommand(m_paths, m_source)))
        conclude(ExitFailed);  // the runner has said why
}

void HeadlessCut::onDecodeFinished()
{
    if (m_stopped)
        return fail(QCoreApplication::translate("HeadlessCut", "已取消，没有写出文件。"));
    if (m_way == Way::Stretch)
        onStretchDecoded();
    else
        onWholeDecoded();
}

void HeadlessCut::onStretchDecoded()
{
    const Selection &selection = m_request.selection;
    const std::int64_t seekMs = seekPointMs(selection);
    const DecodeOutcome decoded = proveDecode(*m_decodeRunner, m_paths.workWav(), m_paths.workFolderProblem(false));
    // A stretch that ends before the selection does means a file that does.
    if (!decoded.facts || seekMs + decoded.facts->lengthMs() < selection.endMs)
        return startWhole();
    m_lastLabel.clear();
    newJob();
    // The working WAV begins at the seek point, a whole second: the
    // selection moves by whole samples.
    m_job->start(Selection{selection.startMs - seekMs, selection.endMs - seekMs}, m_request.shaping, m_destination);
}

void HeadlessCut::onWholeDecoded()
{
    const DecodeOutcome decoded = proveDecode(*m_decodeRunner, m_paths.workWav(), m_paths.workFolderProblem(false));
    if (!decoded.facts)
        return fail(QCoreApplication::translate("HeadlessCut", "无法打开这个文件：\n%1\n\n%2").arg(m_source, decoded.reason));

    const std::int64_t lengthMs = decoded.facts->lengthMs();
    const auto problem =
        save_target::checkSelection(lengthMs, Marks{m_request.selection.startMs, m_request.selection.endMs});
    if (problem != save_target::SelectionProblem::None)
        return fail(SaveFlow::selectionProblemText(problem, lengthMs));

    m_lastLabel.clear();
    newJob();
    m_job->start(m_request.selection, m_request.shaping, m_destination);
}

void HeadlessCut::onCutFinished(const CutJob::Result &result)
{
    switch (result.kind) {
    case CutJob::Result::Kind::Whole:
        m_err << QCoreApplication::translate("HeadlessCut", "已保存 %1（%2 秒，%3）")
                     .arg(m_destination, QString::number(result.seconds, 'f', 1),
                          SaveFlow::sizeText(QFileInfo(m_destination).size()))
              << Qt::endl;
        return conclude(ExitDone);
    case CutJob::Result::Kind::Cancelled:
        return fail(QCoreApplication::translate("HeadlessCut", "已取消保存，没有写出文件。"));
    case CutJob::Result::Kind::Failed:
        if (m_way != Way::Whole && !m_stopped && !result.destinationFault)
            return startWhole();  // what is wrong with the source, the whole way tells as the window does
        return fail(QCoreApplication::translate("HeadlessCut", "铃声没有保存：\n%1\n\n%2").arg(m_destination, result.reason));
    case CutJob::Result::Kind::Untold:
        break;
    }
    conclude(ExitFailed);
}
