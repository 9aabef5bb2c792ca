#include "pipeline/SaveFlow.h"

#include "app/EditorState.h"
#include "app/MainFace.h"
#include "app/Seams.h"
#include "pipeline/CommandLines.h"
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

SaveFlow::SaveFlow(FlowContext &context) : c(context) {}

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
    const Command command = CutCommand(c.paths, c.state.SelStart, c.state.SelEnd, partial);
    setJobRunning(true);
    c.cutRunner.setCommandLine(command);
    c.cutRunner.ExecuteCommand();
    setJobRunning(false);
    if (c.ending) {
        QFile::remove(partial);
        return;
    }

    if (!c.cutRunner.lastStarted()) {
        QFile::remove(partial);
        return;  // the runner has told the user why
    }
    const bool whole = c.cutRunner.exitedNormally() && c.cutRunner.exitCode() == 0
                       && holdsMedia(partial, 1);
    if (!whole) {
        QFile::remove(partial);
        QString reason = lastErrorLine(c.cutRunner.Outputs());
        if (reason.isEmpty())
            reason = QStringLiteral("转换程序没有生成文件。");
        reportFailure(destination, reason);
        return;
    }
    // rename() replaces an existing file in one step; the user has already
    // agreed to overwrite it in the save dialog
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(destination);
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partial);
        reportFailure(destination, reason);
        return;
    }
    afterSuccessfulSave(destination);
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
    const auto display = ProgressReport(ProgressJob::Cut, piece, unusedTotal, c.state.SelStart,
                                        c.state.SelEnd);
    if (!display)
        return;
    c.face.imgProWidth = display->barWidthTwips;
    c.face.lblPro = display->label;
    c.face.touch();
}
