#include "pipeline/SaveFlow.h"

#include "model/EditorModel.h"
#include "model/Seams.h"
#include "pipeline/CommandLines.h"
#include "model/CutFormats.h"
#include "pipeline/RingtoneName.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/ProgressReport.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackDevice.h"
#include "playback/ShortName.h"
#include "playback/Timeline.h"
#include "settings/FileDialogs.h"
#include "settings/ProgramConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

SaveFlow::SaveFlow(FlowContext &context)
    : c(context), m_probe(context.messages), m_job(context.cutRunner, m_probe, context.paths)
{
    QObject::connect(&m_job, &CutJob::finished, &m_job,
                     [this](const CutJob::Result &result) { onJobFinished(result); });
}

QStringList SaveFlow::saveFilter()
{
    QStringList filter;
    for (const CutFormat &format : cutFormats())
        filter << QCoreApplication::translate("CutFormats", format.description.toUtf8().constData())
               << QStringLiteral("*.") + format.id.toLower();
    return filter;
}

QString SaveFlow::folderOfPath(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString SaveFlow::selectionProblemText(save_target::SelectionProblem problem, std::int64_t lengthMs)
{
    using save_target::SelectionProblem;
    switch (problem) {
    case SelectionProblem::None: break;
    case SelectionProblem::NothingOpen:
        return QCoreApplication::translate("SaveFlow", "还没有打开文件。\n请先打开一个音乐或视频文件，再选择要保存的铃声。");
    case SelectionProblem::NoEnd:
        return QCoreApplication::translate("SaveFlow", "还没有选择铃声的结束位置。\n请拖动时间线上的选择标记，或在播放时按“选择铃声起始位置”和“选择铃声结束位置”。");
    case SelectionProblem::Empty:
        return QCoreApplication::translate("SaveFlow", "选择的铃声不到 1 秒。\n请把结束位置放在开始位置之后至少 1 秒。");
    case SelectionProblem::PastEnd:
        return QCoreApplication::translate("SaveFlow", "选择的铃声超出了文件的末尾（文件长 %1）。\n请重新选择开始和结束位置。")
            .arg(timeline::formatSeconds(static_cast<std::int32_t>(lengthMs / 1000)));
    }
    return {};
}

QString SaveFlow::workFolderDestinationText(const QString &destination)
{
    return QCoreApplication::translate("SaveFlow", "不能保存到这个位置：\n%1\n\n它在程序的工作文件夹里，那里的文件随时会被删除。请换一个文件夹。")
        .arg(destination);
}

void SaveFlow::warn(const QString &text)
{
    c.messages.show(text, QCoreApplication::translate("SaveFlow", "保存铃声"), MessageButtons::Ok, MessageIcon::Warning);
}

void SaveFlow::run()
{
    if (m_job.isRunning())
        return;  // one cut at a time; its buttons are disabled meanwhile
    const auto problem = save_target::checkSelection(c.model.lengthMs(), c.model.marks());
    if (problem != save_target::SelectionProblem::None) {
        warn(selectionProblemText(problem, c.model.lengthMs()));
        return;
    }
    // The cut reads the working WAV, which is whole only once the decode ends.
    if (const auto &media = c.model.media(); media && !media->isWhole()) {
        warn(QCoreApplication::translate("SaveFlow", "文件还在解码（已解码 %1，共 %2）。\n解码结束后才能保存铃声。")
                 .arg(timeline::formatMilliseconds(media->playableMs()), timeline::formatMilliseconds(media->lengthMs)));
        return;
    }
    const Selection selection = *c.model.marks().selection();
    // Offered: the type saved last, a name that says which song and which
    // stretch of it, in the song's folder when a file can be written there.
    const int typeIndex = std::max(cutFormatIndex(c.model.lastSave().format), 0);
    const CutFormat &offered = cutFormats().at(typeIndex);
    c.dialogs.setFilter(saveFilter().join(u'|'));
    c.dialogs.setFilterIndex(typeIndex + 1);
    c.dialogs.setTitle(QCoreApplication::translate("SaveFlow", "另存为"));
    c.dialogs.setPath(save_target::dialogFolder(
        c.model.media()->sourcePath, c.model.lastSave().folder, QStandardPaths::writableLocation(QStandardPaths::MusicLocation),
        QDir::homePath(), save_target::isWritableFolder));
    c.dialogs.setFileName(suggestedRingtoneName(c.model.media()->title, c.model.media()->sourcePath, selection,
                                                offered.id.toLower()));
    if (!c.dialogs.showSave())
        return;
    const QString destination = save_target::tidiedDestination(c.dialogs.fileName().trimmed());
    if (destination.isEmpty())
        return;
    const QString format = cutFormatOf(destination);
    if (format.isEmpty()) {
        QStringList names;
        for (const CutFormat &known : cutFormats())
            names << known.id;
        warn(QCoreApplication::translate("SaveFlow", "不能保存为这种格式：\n%1\n\n请选择 %2 格式。").arg(destination, names.join(QCoreApplication::translate("SaveFlow", "、"))));
        return;
    }
    if (format == u"M4R" && selection.lengthMs() > LongestIphoneRingtoneMs) {
        const MessageAnswer answer = c.messages.show(
            QCoreApplication::translate("SaveFlow", "这段铃声长 %1 秒，iPhone 只把不超过 40 秒的 M4R 文件当作铃声。\n\n"
                           "仍然保存，请按“确定”；回去缩短选择，请按“取消”。")
                .arg(QString::number(selection.seconds(), 'f', 1)),
            QCoreApplication::translate("SaveFlow", "保存铃声"), MessageButtons::OkCancel, MessageIcon::Warning);
        if (answer != MessageAnswer::Ok)
            return;
    }
    // The source and the working copy are only ever read.
    if (save_target::isSameFile(destination, c.model.media()->sourcePath)) {
        warn(QCoreApplication::translate("SaveFlow", "不能保存到这个文件：\n%1\n\n它就是正在编辑的原文件，原文件只读取、不覆盖。请换一个文件名。")
                 .arg(destination));
        return;
    }
    if (c.paths.isInsideWorkFolder(destination)) {
        warn(workFolderDestinationText(destination));
        return;
    }
    if (save_target::isSameFile(destination, c.paths.workWav())) {
        warn(QCoreApplication::translate("SaveFlow", "不能保存到这个文件：\n%1\n\n它是程序正在使用的工作文件。请换一个文件名。").arg(destination));
        return;
    }
    // A folder typed into the name that is not there yet is made.
    if (const QString folder = QFileInfo(destination).absolutePath(); !QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        warn(QCoreApplication::translate("SaveFlow", "不能保存到这个位置：\n%1\n\n文件夹 %2 不存在，也无法创建。请换一个文件夹。")
                 .arg(destination, folder));
        return;
    }
    c.playback.stopAndClose();
    cut(destination, selection);
}

void SaveFlow::setJobRunning(bool running, const QString &destination)
{
    if (running)
        c.model.setNotice({});
    c.model.setJob(running ? JobState{JobKind::Cut, destination, std::nullopt} : JobState{});
}

void SaveFlow::cut(const QString &destination, const Selection &selection)
{
    m_progress.reset();
    m_seconds = selection.seconds();
    m_destination = destination;
    setJobRunning(true, destination);
    m_job.start(selection, c.model.shaping(), destination);
}

void SaveFlow::onJobFinished(const CutJob::Result &result)
{
    const QString destination = m_destination;
    std::int32_t unusedTotal = 0;  // the cut job neither reads nor sets the duration
    showProgress(m_progress.finish(unusedTotal, m_seconds));
    setJobRunning(false, destination);
    if (c.ending)
        return;
    switch (result.kind) {
    case CutJob::Result::Kind::Untold:
        return;
    case CutJob::Result::Kind::Cancelled:
        c.model.setNotice(Notice{Notice::Kind::SaveCancelled});
        return;
    case CutJob::Result::Kind::Failed:
        reportFailure(destination, result.reason);
        return;
    case CutJob::Result::Kind::Whole:
        afterSuccessfulSave(destination, result.seconds);
        return;
    }
}

bool SaveFlow::cancel()
{
    return m_job.cancel();
}

bool SaveFlow::cancelNow()
{
    return m_job.cancelNow();
}

QString SaveFlow::sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(std::max<qint64>(1, (bytes + 512) / 1024));
    return QStringLiteral("%1 MB").arg(QString::number(bytes / (1024.0 * 1024.0), 'f', 1));
}

void SaveFlow::openSavedFolder()
{
    const Notice &notice = c.model.notice();
    if (notice.kind != Notice::Kind::Saved)
        return;
    const QString folder = QFileInfo(notice.file).absolutePath();
    if (!c.shell.openUrl(QUrl::fromLocalFile(folder)))
        warn(QCoreApplication::translate("SaveFlow", "无法打开这个文件夹：\n%1\n\n桌面上没有能打开它的程序（例如没有安装 xdg-open）。")
                 .arg(folder));
}

void SaveFlow::playSaved()
{
    const Notice &notice = c.model.notice();
    if (notice.kind != Notice::Kind::Saved)
        return;
    if (!QFileInfo::exists(notice.file)) {
        warn(QCoreApplication::translate("SaveFlow", "无法播放，这个文件已经不在了：\n%1").arg(notice.file));
        return;
    }
    if (!c.shell.openUrl(QUrl::fromLocalFile(notice.file)))
        warn(QCoreApplication::translate("SaveFlow", "无法播放这个文件：\n%1\n\n桌面上没有能播放它的程序（例如没有安装 xdg-open）。")
                 .arg(notice.file));
}

void SaveFlow::afterSuccessfulSave(const QString &destination, double seconds)
{
    const QFileInfo saved(destination);
    c.model.setLastSave(LastSave{cutFormatOf(destination), saved.absolutePath()});
    // Remembering is a convenience: a config file that cannot be written
    // costs the next run its suggestion, never this save.
    writeProgramConfig(c.paths.configFile(), rememberedConfig(c.model));
    c.model.setNotice(Notice{Notice::Kind::Saved, destination, seconds, saved.size()});
    if (c.model.afterSave().openFolder)
        c.shell.openUrl(QUrl::fromLocalFile(folderOfPath(destination)));
    const QString sound = c.paths.completionSound();
    if (c.model.afterSave().playSound && QFileInfo::exists(sound)) {
        // On its own alias: the open file's device keeps what it holds.
        c.device.send(playback_command::stopChime());
        c.device.send(playback_command::closeChime());
        c.device.send(playback_command::openChime(GetShortName(sound)));
        c.device.send(playback_command::playChime());
    }
}

void SaveFlow::reportFailure(const QString &destination, const QString &reason)
{
    c.messages.show(QCoreApplication::translate("SaveFlow", "铃声没有保存：\n%1\n\n%2").arg(destination, reason),
                    QCoreApplication::translate("SaveFlow", "保存失败"), MessageButtons::Ok, MessageIcon::Critical);
}

void SaveFlow::onCutOutput(const QString &piece)
{
    std::int32_t unusedTotal = 0;  // the cut job neither reads nor sets the duration
    showProgress(m_progress.feed(piece, unusedTotal, m_seconds));
}

void SaveFlow::showProgress(const std::optional<ProgressDisplay> &display)
{
    if (!display || c.model.job().kind != JobKind::Cut)
        return;
    JobState job = c.model.job();
    job.progress = display->fraction;
    c.model.setJob(job);
}
