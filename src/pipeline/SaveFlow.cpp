#include "pipeline/SaveFlow.h"

#include "app/EditorState.h"
#include "app/MainFace.h"
#include "app/Seams.h"
#include "pipeline/CommandLines.h"
#include "pipeline/CutCheck.h"
#include "pipeline/FailureReport.h"
#include "pipeline/DOSOutputs.h"
#include "pipeline/ProgressReport.h"
#include "pipeline/TranscoderOutput.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackDevice.h"
#include "playback/ShortName.h"
#include "playback/Timeline.h"
#include "settings/CommonDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <cstring>

SaveFlow::SaveFlow(FlowContext &context) : c(context), m_probe(context.messages) {}

QStringList SaveFlow::saveFilter()
{
    return {QStringLiteral("MP3 Files(*.mp3)"), QStringLiteral("*.mp3"),
            QStringLiteral("WMA Files(*.wma)"), QStringLiteral("*.wma"),
            QStringLiteral("WAV Files(*.wav)"), QStringLiteral("*.wav"),
            QStringLiteral("AMR Files(*.amr)"), QStringLiteral("*.amr")};
}

QString SaveFlow::FolderOfPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString SaveFlow::partialNameFor(const QString &destination)
{
    // keeps the extension last, since the transcoder picks the format by it
    const QFileInfo info(destination);
    return FolderOfPath(destination) + u'.' + info.completeBaseName() + QStringLiteral(".partial.")
           + info.suffix();
}

QString SaveFlow::selectionProblemText(save_target::SelectionProblem problem, std::int64_t lengthMs)
{
    using save_target::SelectionProblem;
    switch (problem) {
    case SelectionProblem::None: break;
    case SelectionProblem::NothingOpen:
        return QStringLiteral("还没有打开文件。\n请先打开一个音乐或视频文件，再选择要保存的铃声。");
    case SelectionProblem::NoEnd:
        return QStringLiteral("还没有选择铃声的结束位置。\n请拖动时间线上的选择标记，或在播放时按“选择铃声起始位置”和“选择铃声结束位置”。");
    case SelectionProblem::Empty:
        return QStringLiteral("选择的铃声不到 1 秒。\n请把结束位置放在开始位置之后至少 1 秒。");
    case SelectionProblem::PastEnd:
        return QStringLiteral("选择的铃声超出了文件的末尾（文件长 %1）。\n请重新选择开始和结束位置。")
            .arg(timeline::formatSeconds(static_cast<std::int32_t>(lengthMs / 1000)));
    }
    return {};
}

void SaveFlow::warn(const QString &text)
{
    c.messages.show(text, QStringLiteral("保存铃声"), MessageButtons::Ok, MessageIcon::Warning);
}

void SaveFlow::run()
{
    const auto problem = save_target::checkSelection(c.state);
    if (problem != save_target::SelectionProblem::None) {
        warn(selectionProblemText(problem, c.state.LengthMs));
        return;
    }
    c.dialogs.setFilter(saveFilter().join(u'|'));
    c.dialogs.setTitle(QStringLiteral("Save As"));
    // The program folder is read-only once installed: start where a file can
    // be written.
    c.dialogs.setPath(save_target::dialogFolder(
        c.state.SourcePath, m_lastSaveFolder, QStandardPaths::writableLocation(QStandardPaths::MusicLocation),
        QDir::homePath(), save_target::isWritableFolder));
    c.dialogs.setFileName(QStringLiteral("ringtone.mp3"));
    if (!c.dialogs.ShowSave())
        return;
    c.face.txtSave = c.dialogs.FileName().trimmed();
    if (c.face.txtSave.isEmpty())
        return;
    const QString destination = c.face.txtSave;
    if (cutFormatOf(destination).isEmpty()) {
        warn(QStringLiteral("不能保存为这种格式：\n%1\n\n请选择 MP3、WMA、WAV 或 AMR 格式。").arg(destination));
        return;
    }
    // The source and the working copy are only ever read.
    if (save_target::isSameFile(destination, c.state.SourcePath)) {
        warn(QStringLiteral("不能保存到这个文件：\n%1\n\n它就是正在编辑的原文件，原文件只读取、不覆盖。请换一个文件名。")
                 .arg(destination));
        return;
    }
    if (save_target::isSameFile(destination, c.paths.workWav())) {
        warn(QStringLiteral("不能保存到这个文件：\n%1\n\n它是程序正在使用的工作文件。请换一个文件名。").arg(destination));
        return;
    }
    c.playback.stopAndClose();
    QCoreApplication::processEvents();
    cut(destination);
}

void SaveFlow::setJobRunning(bool running)
{
    c.face.jobButtonsEnabled = !running;
    c.face.picProVisible = running;
    c.face.touch();
}

void SaveFlow::cut(const QString &destination)
{
    const QString partial = partialNameFor(destination);
    setJobRunning(true);
    const CutResult result = writeAndProve(partial, cutFormatOf(destination));
    setJobRunning(false);
    if (result.kind != CutResult::Whole)
        QFile::remove(partial);
    if (c.ending || result.kind == CutResult::Untold)
        return;
    if (result.kind == CutResult::Failed) {
        // The user chose the destination; the hidden partial name means nothing to them.
        QString reason = result.reason;
        reason.replace(QStringLiteral("file:") + partial, destination).replace(partial, destination);
        reportFailure(destination, reason);
        return;
    }
    // rename() replaces an existing file in one step; the user has already
    // agreed to overwrite it in the save dialog
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(destination);
    if (std::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        QFile::remove(partial);
        const FailureCause cause = error == ENOSPC ? FailureCause::DiskFull
                                   : error == ENOENT ? FailureCause::Vanished
                                                     : FailureCause::NoPermission;
        reportFailure(destination, failureText({cause, failureSentence(cause),
                                                QString::fromLocal8Bit(std::strerror(error))}));
        return;
    }
    afterSuccessfulSave(destination);
}

SaveFlow::CutResult SaveFlow::writeAndProve(const QString &partial, const QString &format)
{
    m_progress.reset();
    c.cutRunner.setCommandLine(CutCommand(c.paths, c.state.Sel, partial));
    c.cutRunner.ExecuteCommand();
    std::int32_t unusedTotal = 0;  // the cut job neither reads nor sets the duration
    showProgress(m_progress.finish(unusedTotal, c.state.Sel.seconds()));
    if (c.ending || !c.cutRunner.lastStarted())
        return {CutResult::Untold, {}};  // ending, or the runner has told the user why
    if (!c.cutRunner.exitedNormally() || c.cutRunner.exitCode() != 0 || !holdsMedia(partial, 1)) {
        const FailureReport report =
            explainFailure(c.cutRunner.Outputs(), c.cutRunner.exitedNormally(), c.cutRunner.exitCode());
        return {CutResult::Failed, failureText(report)};
    }

    // An exit status of 0 proves nothing of the file: ffmpeg may have said that
    // it could not finish writing it, and then ffprobe is asked what it holds.
    const FailureReport said = explainFailure(c.cutRunner.Outputs(), true, 0);
    if (said.cause == FailureCause::DiskFull || said.cause == FailureCause::NoPermission)
        return {CutResult::Failed, failureText(said)};
    m_probe.setCommandLine(ProbeCommand(c.paths, partial));
    const QString probed = m_probe.ExecuteCommand();
    if (c.ending || !m_probe.lastStarted())
        return {CutResult::Untold, {}};
    if (!m_probe.exitedNormally() || m_probe.exitCode() != 0) {
        // whatever ffprobe found wrong, it is the written file that is at fault
        FailureReport report = explainFailure(probed, m_probe.exitedNormally(), m_probe.exitCode());
        report.sentence = QStringLiteral("转换程序写出的文件无法读取，不是完整的铃声。");
        return {CutResult::Failed, failureText(report)};
    }
    const QString problem = cutProblem(parseProbe(probed), format, c.state.Sel.seconds());
    if (!problem.isEmpty())
        return {CutResult::Failed, QStringLiteral("转换程序写出的文件不是所要的铃声：") + problem};
    return {CutResult::Whole, {}};
}

void SaveFlow::afterSuccessfulSave(const QString &destination)
{
    m_lastSaveFolder = QFileInfo(destination).absolutePath();
    if (c.state.OpenFolderChoice == 0)
        c.shell.openUrl(QUrl::fromLocalFile(FolderOfPath(destination)));
    const QString sound = c.paths.completionSound();
    if (c.state.PromptSoundChoice == 0 && QFileInfo::exists(sound)) {
        // On its own alias: the open file's device keeps what it holds.
        c.device.send(playback_command::stopChime());
        c.device.send(playback_command::closeChime());
        c.device.send(playback_command::openChime(GetShortName(sound)));
        c.device.send(playback_command::playChime());
    }
}

void SaveFlow::reportFailure(const QString &destination, const QString &reason)
{
    c.messages.show(QStringLiteral("铃声没有保存：\n%1\n\n%2").arg(destination, reason),
                    QStringLiteral("保存失败"), MessageButtons::Ok, MessageIcon::Critical);
}

void SaveFlow::onCutOutput(const QString &piece)
{
    std::int32_t unusedTotal = 0;  // the cut job neither reads nor sets the duration
    showProgress(m_progress.feed(piece, unusedTotal, c.state.Sel.seconds()));
}

void SaveFlow::showProgress(const std::optional<ProgressDisplay> &display)
{
    if (!display)
        return;
    c.face.imgProWidth = display->barWidthTwips;
    c.face.lblPro = display->label;
    c.face.touch();
}
