#include "pipeline/CutJob.h"

#include "files/OutputFile.h"
#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/FailureReport.h"
#include "pipeline/Loudness.h"
#include "pipeline/TranscoderOutput.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <QCoreApplication>

CutJob::CutJob(ProcessRunner &cutRunner, ProcessRunner &probeRunner, const Paths &paths)
    : m_cutRunner(cutRunner), m_probeRunner(probeRunner), m_paths(paths)
{
}

namespace {

FailureCause causeOfError(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return FailureCause::DiskFull;
    case ENOENT:
    case ENOTDIR:
        return FailureCause::Vanished;
    default:
        return FailureCause::NoPermission;
    }
}

CutJob::Result failedWith(int error)
{
    const FailureCause cause = causeOfError(error);
    return {CutJob::Result::Failed,
            failureText({cause, failureSentence(cause), QString::fromLocal8Bit(std::strerror(error))})};
}

}  // namespace

CutJob::Result CutJob::run(const Selection &selection, const CutShaping &shaping, const QString &destination,
                           const bool &ending)
{
    m_cancelled = false;
    OutputFile output;
    if (!output.create(destination, m_paths.ledgerFile()))
        return failedWith(output.error());
    m_running = true;
    Result result = writeAndProve(selection, shaping, output, destination, ending);
    m_running = false;
    if (result.kind != Result::Whole) {
        // The user chose the destination; the path the transcoder wrote to means nothing to them.
        const QString writer = output.writerPath();
        output.discard();
        result.reason.replace(QStringLiteral("file:") + writer, destination).replace(writer, destination);
        return result;
    }
    switch (output.publish()) {
    case OutputFile::Outcome::Published:
        return result;
    case OutputFile::Outcome::LostRace:
        return {Result::Failed,
                QCoreApplication::translate("CutJob", "这次保存进行时，另一次保存已经把文件写到了这个名字上。"
                                                      "为了不覆盖它，这次剪出的铃声没有保存；请换一个文件名再保存。")};
    case OutputFile::Outcome::Failed:
        break;
    }
    return failedWith(output.error());
}

CutJob::Result CutJob::writeAndProve(const Selection &selection, const CutShaping &shaping, OutputFile &output,
                                     const QString &destination, const bool &ending)
{
    QString loudness;
    if (shaping.normalize) {
        // A silent stretch has no loudness to bring anywhere: it is cut as it is.
        const std::optional<LoudnessGain> gain =
            normalizingGainFor(m_paths.workWav(), selection, shaping.fadeInMs, shaping.fadeOutMs);
        if (gain)
            loudness = loudnessFilter(*gain);
    }
    const QString written = output.writerPath();
    Command cut = CutCommand(m_paths, selection, destination, shapingFilter(selection, shaping, loudness), written);
    cut.passedFds = {output.fd()};
    m_cutRunner.setCommandLine(cut);
    m_cutRunner.run();
    if (m_cancelled)
        return {Result::Cancelled, {}};
    if (ending || !m_cutRunner.lastStarted())
        return {Result::Untold, {}};  // ending, or the runner has told the user why
    if (!m_cutRunner.exitedNormally() || m_cutRunner.exitCode() != 0 || !holdsMedia(written, 1)) {
        const FailureReport report =
            explainFailure(m_cutRunner.output(), m_cutRunner.exitedNormally(), m_cutRunner.exitCode());
        return {Result::Failed, failureText(report)};
    }

    // An exit status of 0 proves nothing of the file: ffmpeg may have said that
    // it could not finish writing it, and then the file is decoded whole.
    const FailureReport said = explainFailure(m_cutRunner.output(), true, 0);
    if (said.cause == FailureCause::DiskFull || said.cause == FailureCause::NoPermission)
        return {Result::Failed, failureText(said)};
    Command probe = ProbeCommand(m_paths, written);
    probe.passedFds = {output.fd()};
    m_probeRunner.setCommandLine(probe);
    const QString probed = m_probeRunner.run();
    if (m_cancelled)
        return {Result::Cancelled, {}};
    if (ending || !m_probeRunner.lastStarted())
        return {Result::Untold, {}};
    if (!m_probeRunner.exitedNormally() || m_probeRunner.exitCode() != 0) {
        // whatever ffprobe found wrong, it is the written file that is at fault
        FailureReport report = explainFailure(probed, m_probeRunner.exitedNormally(), m_probeRunner.exitCode());
        report.sentence = QCoreApplication::translate("CutJob", "转换程序写出的文件无法读取，不是完整的铃声。");
        return {Result::Failed, failureText(report)};
    }
    const ProbedFile file = parseProbe(probed);
    const QString problem = cutProblem(file, cutFormatOf(destination), selection.seconds());
    if (!problem.isEmpty())
        return {Result::Failed, QCoreApplication::translate("CutJob", "转换程序写出的文件不是所要的铃声：") + problem};
    return {Result::Whole, {}, file.duration};
}

bool CutJob::cancel()
{
    if (!m_running || m_cancelled)
        return false;
    m_cancelled = true;
    if (m_cutRunner.isRunning())
        m_cutRunner.stop();
    if (m_probeRunner.isRunning())
        m_probeRunner.stop();
    return true;
}
