#include "pipeline/CutJob.h"

#include "files/OutputFile.h"
#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/FailureReport.h"
#include "pipeline/FileToPipe.h"
#include "pipeline/Loudness.h"
#include "pipeline/TranscoderOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>
#include <QCoreApplication>

CutJob::CutJob(ProcessRunner &cutRunner, ProcessRunner &probeRunner, const Paths &paths, QObject *parent)
    : QObject(parent), m_cutRunner(cutRunner), m_probeRunner(probeRunner), m_paths(paths)
{
    connect(&m_cutRunner, &ProcessRunner::finished, this, &CutJob::onCutFinished);
    connect(&m_probeRunner, &ProcessRunner::finished, this, &CutJob::onProbeFinished);
}

// A job still running leaves no file: the output goes with it.
CutJob::~CutJob() = default;

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
    return {CutJob::Result::Kind::Failed,
            failureText({cause, failureSentence(cause), QString::fromLocal8Bit(std::strerror(error))}), 0.0, true};
}

}  // namespace

void CutJob::start(const Selection &selection, const CutShaping &shaping, const QString &destination)
{
    m_source.clear();
    begin(selection, shaping, destination);
}

void CutJob::startFromSource(const QString &sourcePath, const Selection &selection, const CutShaping &shaping,
                             const QString &destination)
{
    Q_ASSERT(!shaping.normalize);
    m_source = sourcePath;
    begin(selection, CutShaping{shaping.fadeInMs, shaping.fadeOutMs, false}, destination);
}

void CutJob::begin(const Selection &selection, const CutShaping &shaping, const QString &destination)
{
    m_cancelled = false;
    m_selection = selection;
    m_destination = destination;
    auto output = std::make_unique<OutputFile>();
    if (!output->create(destination, m_paths.ledgerFile())) {
        emit finished(failedWith(output->error()));
        return;
    }
    m_output = std::move(output);
    m_shaping = shaping;
    if (!shaping.normalize) {
        startCut({});
        return;
    }
    // Measuring reads the whole stretch: a worker does it, so that the window
    // answers meanwhile, and the cut starts when it is done.
    m_step = Step::Measuring;
    auto *measure = new QFutureWatcher<std::optional<LoudnessGain>>(this);
    m_measure = measure;
    connect(measure, &QFutureWatcherBase::finished, this, [this, measure] {
        measure->deleteLater();
        if (m_measure != measure || m_step != Step::Measuring)
            return;  // the job ended meanwhile
        m_measure = nullptr;
        // A silent stretch has no loudness to bring anywhere: it is cut as it is.
        const std::optional<LoudnessGain> gain = measure->result();
        startCut(gain ? loudnessFilter(*gain) : QString());
    });
    measure->setFuture(QtConcurrent::run([wav = m_paths.workWav(), selection, shaping] {
        return normalizingGainFor(wav, selection, shaping.fadeInMs, shaping.fadeOutMs);
    }));
}

void CutJob::startCut(const QString &loudness)
{
    const Selection &selection = m_selection;
    const QString written = m_output->writerPath();
    Command cut = m_source.isEmpty()
                      ? CutCommand(m_paths, selection, m_destination, shapingFilter(selection, m_shaping, loudness), written)
                      : SeekingCutCommand(m_paths, m_source, selection, m_shaping, m_destination, written);
    cut.passedFds = {m_output->fd()};
    m_step = Step::Cutting;
    // The proof's reader first: a cut that could not be proven is not begun.
    if (const std::optional<Result> refused = startProofReader())
        return conclude(*refused);
    m_cutRunner.setCommandLine(cut);
    if (!m_cutRunner.start())
        conclude({Result::Kind::Untold, {}});  // the runner has told the user why
}

std::optional<CutJob::Result> CutJob::startProofReader()
{
    m_proofOver = false;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return failedWith(errno);
    const UniqueFd readEnd(ends[0]);
    m_proofPipe.reset(ends[1]);
    Command probe = ProbeCommand(m_paths, QStringLiteral("/proc/self/fd/%1").arg(readEnd.get()));
    probe.passedFds = {readEnd.get()};
    m_probeRunner.setCommandLine(probe);
    if (!m_probeRunner.start())
        return Result{Result::Kind::Untold, {}};  // the runner has told the user why
    return std::nullopt;
}

void CutJob::endProofReader()
{
    // Without the rest of its input the reader ends at once.
    m_proofPipe.reset();
    if (m_probeRunner.isRunning())
        m_probeRunner.stopNow();
}

void CutJob::onCutFinished()
{
    if (m_step != Step::Cutting)
        return;
    if (m_cancelled)
        return conclude({Result::Kind::Cancelled, {}});
    const QString written = m_output->writerPath();
    if (!m_cutRunner.exitedNormally() || m_cutRunner.exitCode() != 0 || !holdsMedia(written, 1)) {
        const FailureReport report =
            explainFailure(m_cutRunner.output(), m_cutRunner.exitedNormally(), m_cutRunner.exitCode());
        return conclude({Result::Kind::Failed, failureText(report)});
    }

    // An exit status of 0 proves nothing of the file: ffmpeg may have said that
    // it could not finish writing it, and then the file is decoded whole.
    const FailureReport said = explainFailure(m_cutRunner.output(), true, 0);
    if (said.cause == FailureCause::DiskFull || said.cause == FailureCause::NoPermission)
        return conclude({Result::Kind::Failed, failureText(said), 0.0, true});
    m_step = Step::Proving;
    if (m_proofOver)
        return judgeProof();
    // The written file as it is on disk, read through a descriptor of its own.
    UniqueFd file(::fcntl(m_output->fd(), F_DUPFD_CLOEXEC, 0));
    if (!file.isValid())
        return conclude(failedWith(errno));
    copyFileToPipe(std::move(file), std::move(m_proofPipe));
}

void CutJob::onProbeFinished()
{
    if (m_step == Step::Cutting) {
        m_proofOver = true;  // told when the cut has ended
        return;
    }
    if (m_step == Step::Proving)
        judgeProof();
}

void CutJob::judgeProof()
{
    if (m_cancelled)
        return conclude({Result::Kind::Cancelled, {}});
    const QString probed = m_probeRunner.output();
    if (!m_probeRunner.exitedNormally() || m_probeRunner.exitCode() != 0) {
        // whatever ffprobe found wrong, it is the written file that is at fault
        FailureReport report = explainFailure(probed, m_probeRunner.exitedNormally(), m_probeRunner.exitCode());
        report.sentence = QCoreApplication::translate("CutJob", "转换程序写出的文件无法读取，不是完整的铃声。");
        return conclude({Result::Kind::Failed, failureText(report)});
    }
    const ProbedFile file = parseProbe(probed);
    const QString problem = cutProblem(file, cutFormatOf(m_destination), m_selection.seconds());
    if (!problem.isEmpty())
        return conclude({Result::Kind::Failed, QCoreApplication::translate("CutJob", "转换程序写出的文件不是所要的铃声：") + problem});
    conclude({Result::Kind::Whole, {}, file.decodedDuration});
}

void CutJob::conclude(Result result)
{
    m_step = Step::Idle;
    endProofReader();
    const std::unique_ptr<OutputFile> output = std::move(m_output);
    if (result.kind != Result::Kind::Whole) {
        // The user chose the destination; the path the transcoder wrote to means nothing to them.
        const QString writer = output->writerPath();
        output->discard();
        result.reason.replace(QStringLiteral("file:") + writer, m_destination).replace(writer, m_destination);
    } else {
        switch (output->publish()) {
        case OutputFile::Outcome::Published:
            break;
        case OutputFile::Outcome::LostRace:
            result = {Result::Kind::Failed,
                      QCoreApplication::translate("CutJob", "这次保存进行时，另一次保存已经把文件写到了这个名字上。"
                                                            "为了不覆盖它，这次剪出的铃声没有保存；请换一个文件名再保存。"),
                      0.0, true};
            break;
        case OutputFile::Outcome::Failed:
            result = failedWith(output->error());
            break;
        }
    }
    emit finished(result);
}

ProcessRunner &CutJob::runnerOfStep()
{
    return m_step == Step::Cutting ? m_cutRunner : m_probeRunner;
}

bool CutJob::cancel()
{
    return !m_cancelled && stop(false);
}

bool CutJob::cancelNow()
{
    return stop(true);
}

bool CutJob::stop(bool now)
{
    if (!isRunning())
        return false;
    m_cancelled = true;
    if (m_step == Step::Measuring) {
        // Nothing has been written yet: the measure's result is not waited for.
        m_measure = nullptr;
        conclude({Result::Kind::Cancelled, {}});
    } else if (now) {
        runnerOfStep().stopNow();
    } else {
        runnerOfStep().stop();
    }
    return true;
}
