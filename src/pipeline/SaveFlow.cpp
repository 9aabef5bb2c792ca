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
#include "settings/CommonDialogs.h"

#include <QCoreApplication>
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

void SaveFlow::run()
{
    if (c.state.SelEnd - c.state.SelStart < 1)
        return;
    c.dialogs.setFilter(saveFilter().join(u'|'));
    c.dialogs.setTitle(QStringLiteral("Save As"));
    c.dialogs.setPath(QString());
    c.dialogs.setFileName(QStringLiteral("ringtone.mp3"));
    if (!c.dialogs.ShowSave())
        return;
    c.face.txtSave = c.dialogs.FileName().trimmed();
    if (c.face.txtSave.isEmpty())
        return;
    const QString destination = c.face.txtSave;
    if (cutFormatOf(destination).isEmpty()) {
        c.messages.show(QStringLiteral("不能保存为这种格式：\n%1\n\n请选择 MP3、WMA、WAV 或 AMR 格式。")
                            .arg(destination),
                        QStringLiteral("保存铃声"), MessageButtons::Ok, MessageIcon::Warning);
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
    if (c.state.OpenFolderChoice == 0)
        c.shell.openUrl(QUrl::fromLocalFile(FolderOfPath(destination)));
    const QString sound = c.paths.completionSound();
    if (c.state.PromptSoundChoice == 0 && QFileInfo::exists(sound)) {
        c.device.send(QStringLiteral("open ") + GetShortName(sound) + QStringLiteral(" alias sound"));
        c.device.send(QStringLiteral("play sound"));
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
