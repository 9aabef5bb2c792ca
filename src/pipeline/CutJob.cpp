#include "pipeline/CutJob.h"

#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "pipeline/DOSOutputs.h"
#include "pipeline/FailureReport.h"
#include "pipeline/Loudness.h"
#include "pipeline/TranscoderOutput.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <QCoreApplication>

CutJob::CutJob(DOSOutputs &cutRunner, DOSOutputs &probeRunner, const Paths &paths)
    : m_cutRunner(cutRunner), m_probeRunner(probeRunner), m_paths(paths)
{
}

QString CutJob::partialNameFor(const QString &destination)
{
    // keeps the extension last, since the transcoder picks the format by it
    const QFileInfo info(destination);
    const qsizetype slash = destination.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : destination.left(slash + 1);
    return folder + u'.' + info.completeBaseName() + QStringLiteral(".partial.") + info.suffix();
}

CutJob::Result CutJob::run(const Selection &selection, const CutShaping &shaping, const QString &destination,
                           const bool &ending)
{
    const QString partial = partialNameFor(destination);
    m_cancelled = false;
    m_running = true;
    Result result = writeAndProve(selection, shaping, partial, cutFormatOf(destination), ending);
    m_running = false;
    if (result.kind != Result::Whole) {
        QFile::remove(partial);
        // The user chose the destination; the hidden partial name means nothing to them.
        result.reason.replace(QStringLiteral("file:") + partial, destination).replace(partial, destination);
        return result;
    }
    // rename() replaces an existing file in one step; the user has already
    // agreed to overwrite it
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(destination);
    if (std::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        QFile::remove(partial);
        const FailureCause cause = error == ENOSPC ? FailureCause::DiskFull
                                   : error == ENOENT ? FailureCause::Vanished
                                                     : FailureCause::NoPermission;
        return {Result::Failed,
                failureText({cause, failureSentence(cause), QString::fromLocal8Bit(std::strerror(error))})};
    }
    return result;
}

CutJob::Result CutJob::writeAndProve(const Selection &selection, const CutShaping &shaping,
                                     const QString &partial, const QString &format, const bool &ending)
{
    QString loudness;
    if (shaping.normalize) {
        // A silent stretch has no loudness to bring anywhere: it is cut as it is.
        const std::optional<LoudnessGain> gain =
            normalizingGainFor(m_paths.workWav(), selection, shaping.fadeInMs, shaping.fadeOutMs);
        if (gain)
            loudness = loudnessFilter(*gain);
    }
    m_cutRunner.setCommandLine(
        CutCommand(m_paths, selection, partial, shapingFilter(selection, shaping, loudness)));
    m_cutRunner.ExecuteCommand();
    if (m_cancelled)
        return {Result::Cancelled, {}};
    if (ending || !m_cutRunner.lastStarted())
        return {Result::Untold, {}};  // ending, or the runner has told the user why
    if (!m_cutRunner.exitedNormally() || m_cutRunner.exitCode() != 0 || !holdsMedia(partial, 1)) {
        const FailureReport report =
            explainFailure(m_cutRunner.Outputs(), m_cutRunner.exitedNormally(), m_cutRunner.exitCode());
        return {Result::Failed, failureText(report)};
    }

    // An exit status of 0 proves nothing of the file: ffmpeg may have said that
    // it could not finish writing it, and then ffprobe is asked what it holds.
    const FailureReport said = explainFailure(m_cutRunner.Outputs(), true, 0);
    if (said.cause == FailureCause::DiskFull || said.cause == FailureCause::NoPermission)
        return {Result::Failed, failureText(said)};
    m_probeRunner.setCommandLine(ProbeCommand(m_paths, partial));
    const QString probed = m_probeRunner.ExecuteCommand();
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
    const QString problem = cutProblem(file, format, selection.seconds());
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
