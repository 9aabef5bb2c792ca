#include "pipeline/OpenFlow.h"

#include "model/EditorModel.h"
#include "model/Seams.h"
#include "files/FileNames.h"
#include "pipeline/CommandLines.h"
#include "pipeline/DecodeProof.h"
#include "pipeline/ProcessRunner.h"
#include "pipeline/FailureReport.h"
#include "pipeline/ProgressReport.h"
#include "pipeline/RingtoneName.h"
#include "pipeline/TranscoderOutput.h"
#include "playback/PlaybackController.h"
#include "playback/Timeline.h"
#include "playback/PeakSummary.h"
#include "playback/WavFacts.h"
#include "settings/FileDialogs.h"

#include <QFile>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <QFileInfo>

#include <optional>
#include <QCoreApplication>

OpenFlow::OpenFlow(FlowContext &context) : c(context)
{
    m_finishedConnection =
        QObject::connect(&c.decodeRunner, &ProcessRunner::finished, &c.decodeRunner, [this] { onDecodeFinished(); });
}

OpenFlow::~OpenFlow() { QObject::disconnect(m_finishedConnection); }

QStringList OpenFlow::openFilter()
{
    // Every kind of file the decoder is asked to read, first, in either case.
    static const char *const media[] = {"mp3", "m4a", "m4r", "mp4", "aac", "ogg", "oga", "opus", "flac", "wav",
                                        "wma", "amr", "mkv", "webm", "avi", "mov", "wmv", "3gp", "mpg", "mpeg"};
    QStringList patterns;
    for (const char *extension : media)
        patterns << QStringLiteral("*.") + QLatin1String(extension);
    for (const char *extension : media)
        patterns << QStringLiteral("*.") + QString::fromLatin1(extension).toUpper();
    return {QCoreApplication::translate("OpenFlow", "音频和视频文件"), patterns.join(u';'),
            QCoreApplication::translate("OpenFlow", "MP3 格式(*.mp3)"), QStringLiteral("*.mp3"),
            QCoreApplication::translate("OpenFlow", "WMA 格式(*.wma)"), QStringLiteral("*.wma"),
            QCoreApplication::translate("OpenFlow", "WAV 格式(*.wav)"), QStringLiteral("*.wav"),
            QCoreApplication::translate("OpenFlow", "AMR 格式(*.amr)"), QStringLiteral("*.amr"),
            QCoreApplication::translate("OpenFlow", "WMV 格式(*.wmv)"), QStringLiteral("*.wmv"),
            QCoreApplication::translate("OpenFlow", "AVI 格式(*.avi)"), QStringLiteral("*.avi"),
            QCoreApplication::translate("OpenFlow", "MPG 格式(*.mpg)"), QStringLiteral("*.mpg"),
            QCoreApplication::translate("OpenFlow", "MOV 格式(*.mov)"), QStringLiteral("*.mov"),
            QCoreApplication::translate("OpenFlow", "OGG 格式(*.ogg)"), QStringLiteral("*.ogg"),
            QCoreApplication::translate("OpenFlow", "FLAC 格式(*.flac)"), QStringLiteral("*.flac"),
            QCoreApplication::translate("OpenFlow", "所有格式(*.*)"), QStringLiteral("*.*")};
}

QString OpenFlow::tabCaption(const QString &name)
{
    const QString path = file_names::displayed(name);
    return path.size() > 35 ? path.left(32) + QStringLiteral("...") : path;
}

void OpenFlow::run()
{
    // The dialog starts where the user last opened from, with the filter last chosen.
    const OpenHistory &history = c.model.openHistory();
    c.dialogs.setPath(history.folder);
    c.dialogs.setFilterIndex(history.filter + 1);
    c.dialogs.setFileName(QString());
    c.dialogs.setFilter(openFilter().join(u'|'));
    c.dialogs.setTitle(QCoreApplication::translate("OpenFlow", "打开一个媒体文件"));
    if (!c.dialogs.showOpen())
        return;
    const QString path = c.dialogs.fileName();
    if (path.isEmpty())
        return;
    OpenHistory chosen = c.model.openHistory();
    chosen.folder = QFileInfo(path).absolutePath();
    chosen.filter = c.dialogs.filterIndex() - 1;
    c.model.setOpenHistory(chosen);
    openPath(path);
}

void OpenFlow::openRecent(int index)
{
    OpenHistory history = c.model.openHistory();
    if (index < 0 || index >= history.recent.size() || c.model.job().kind == JobKind::Cut)
        return;
    const QString path = history.recent.at(index);
    if (!QFileInfo(path).isFile()) {
        history.recent.removeAt(index);
        c.model.setOpenHistory(history);
        c.messages.show(QCoreApplication::translate("OpenFlow", "这个文件已经不在了：\n%1\n\n已把它从最近打开的文件中去掉。").arg(path),
                        QCoreApplication::translate("OpenFlow", "打开失败"), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    openPath(path);
}

void OpenFlow::setDecodeShown(bool shown)
{
    c.model.setJob(shown ? JobState{JobKind::Decode, m_path, std::nullopt} : JobState{});
}

void OpenFlow::openPath(const QString &path)
{
    // What plays is of the file being replaced.
    c.playback.stop();
    c.model.setNotice({});
    m_peaksPending = false;
    // A decode still running for an earlier choice would write the same working
    // WAV: end it first, and let its end pass unnoticed.
    const unsigned generation = ++m_generation;
    c.decodeRunner.stopNow();
    m_path = path;
    // whatever was known of an earlier working WAV goes with it
    c.model.setMedia(std::nullopt);
    setDecodeShown(true);
    m_totalSeconds = 0;
    m_cancelled = false;
    if (const QString problem = c.paths.workFolderProblem(); !problem.isEmpty()) {
        setDecodeShown(false);
        reportFailure(path, problem);
        return;
    }

    m_progress.reset();
    m_decodeGeneration = generation;
    m_decodedSoFar = {};
    // The decode writes a new file: one the peaks' reader could take for it
    // must not be there.
    QFile::remove(c.paths.workWav());
    c.decodeRunner.setCommandLine(DecodeCommand(c.paths, path));
    if (!c.decodeRunner.start()) {
        m_livePeaks.abandon();
        onDecodeFinished();
        return;
    }
    // The follower's reports come on its worker; they are taken on this
    // thread, in order, as long as this decode is the awaited one.
    QObject *receiver = &c.decodeRunner;
    m_livePeaks.start(c.paths.workWav(), [this, receiver, generation](LivePeaks::Snapshot snapshot) {
        QMetaObject::invokeMethod(
            receiver, [this, generation, snapshot = std::move(snapshot)] { onDecodeProgress(generation, snapshot); },
            Qt::QueuedConnection);
    });
}

void OpenFlow::onDecodeProgress(unsigned generation, const LivePeaks::Snapshot &snapshot)
{
    if (generation != m_decodeGeneration || m_cancelled || c.ending || snapshot.sampleRate <= 0)
        return;
    m_decodedSoFar = snapshot;
    showDecodedSoFar();
}

void OpenFlow::showDecodedSoFar()
{
    const LivePeaks::Snapshot &sofar = m_decodedSoFar;
    if (sofar.sampleRate <= 0)
        return;
    const std::int64_t decodedMs = sofar.frames * 1000 / sofar.sampleRate;
    // The decoder announces the length first; a source that announces none,
    // or too little, is as long as what has been decoded so far.
    const std::int64_t lengthMs = std::max<std::int64_t>(std::int64_t(m_totalSeconds) * 1000, decodedMs);
    if (lengthMs <= 0)
        return;
    OpenMedia media = c.model.media().value_or(OpenMedia{});
    media.sourcePath = m_path;
    media.lengthMs = lengthMs;
    media.peaks = sofar.peaks;
    media.workingWav = c.paths.workWav();
    media.sampleRate = sofar.sampleRate;
    media.channels = sofar.channels;
    media.decodedMs = decodedMs;
    c.model.updateMedia(media);
}

void OpenFlow::dropPartialFile()
{
    m_livePeaks.abandon();
    m_decodedSoFar = {};
    if (c.model.isFileOpen()) {
        // What was played of it goes with it.
        c.playback.stop();
        c.model.setMedia(std::nullopt);
    }
}

void OpenFlow::onDecodeFinished()
{
    // Only the end of the decode of the latest choice counts, and only once.
    if (m_decodeGeneration != m_generation)
        return;
    m_decodeGeneration = 0;
    m_decodedSoFar = {};
    if (c.ending) {
        m_livePeaks.abandon();
        return;
    }
    const QString path = m_path;
    if (m_cancelled) {
        // Back to where the open began: nothing open, nothing half-decoded.
        m_cancelled = false;
        dropPartialFile();
        QFile::remove(c.paths.workWav());
        setDecodeShown(false);
        c.model.setNotice(Notice{Notice::Kind::OpenCancelled, path});
        return;
    }
    showProgress(m_progress.finish(m_totalSeconds, 0.0));

    if (!c.decodeRunner.lastStarted()) {
        // The runner has already told the user why: one message is enough.
        dropPartialFile();
        setDecodeShown(false);
        return;
    }
    const DecodeOutcome outcome = proveDecode(c.decodeRunner, c.paths.workWav(), c.paths.workFolderProblem(false));
    if (!outcome.facts) {
        dropPartialFile();
        setDecodeShown(false);
        reportFailure(path, outcome.reason);
        return;
    }
    // The file is whole: its true length replaces the announced one, and the
    // marks set while it was decoded stay. The waveform so far shows until the
    // whole one is there.
    const WavFacts &facts = *outcome.facts;
    const auto sofar = c.model.media();
    const bool sameFile = sofar && sofar->sourcePath == path;
    OpenMedia media{path,
                    readWorkTitle(c.paths.workWav()),
                    facts.lengthMs(),
                    sameFile ? sofar->peaks : nullptr,
                    c.paths.workWav(),
                    facts.sampleRate,
                    facts.channels};
    setDecodeShown(false);
    c.model.updateMedia(media);
    OpenHistory history = c.model.openHistory();
    history.recent.prepend(QFileInfo(path).absoluteFilePath());
    c.model.setOpenHistory(history);
    // Most of the file was summarised while it was written: only its end is
    // left, and the waveform appears a moment after the decode ends; a file
    // that could not be followed is read whole.
    awaitPeaks(m_livePeaks.finish(facts.frames), true);
}

void OpenFlow::readPeaks()
{
    // Reading a long file takes a while: a worker reads it.
    const QString wav = c.paths.workWav();
    awaitPeaks(QtConcurrent::run([wav]() -> std::shared_ptr<const PeakSummary> {
                   if (auto peaks = summariseWav(wav))
                       return std::make_shared<const PeakSummary>(std::move(*peaks));
                   return nullptr;
               }),
               false);
}

void OpenFlow::awaitPeaks(QFuture<std::shared_ptr<const PeakSummary>> peaks, bool readWholeIfNone)
{
    // The waveform appears when the peaks are there, if this file is still the open one.
    const unsigned generation = m_generation;
    auto *watcher = new QFutureWatcher<std::shared_ptr<const PeakSummary>>(&c.decodeRunner);
    m_peaksPending = true;
    QObject::connect(watcher, &QFutureWatcherBase::finished, &c.decodeRunner,
                     [this, watcher, generation, readWholeIfNone] {
                         watcher->deleteLater();
                         if (generation != m_generation)
                             return;
                         std::shared_ptr<const PeakSummary> result = watcher->result();
                         if (!result && readWholeIfNone)
                             return readPeaks();
                         m_peaksPending = false;
                         c.model.setPeaks(std::move(result));
                     });
    watcher->setFuture(std::move(peaks));
}

bool OpenFlow::cancel()
{
    if (!c.decodeRunner.isRunning() || c.model.job().kind != JobKind::Decode)
        return false;
    m_cancelled = true;
    c.decodeRunner.stop();
    return true;
}

bool OpenFlow::cancelNow()
{
    if (!c.decodeRunner.isRunning())
        return false;
    m_cancelled = true;
    c.decodeRunner.stopNow();
    return true;
}

void OpenFlow::onDecodeOutput(const QString &piece)
{
    if (c.model.job().kind != JobKind::Decode)
        return;
    const std::int32_t announced = m_totalSeconds;
    showProgress(m_progress.feed(piece, m_totalSeconds, 0.0));
    if (m_totalSeconds != announced && m_decodeGeneration != 0 && !m_cancelled)
        showDecodedSoFar();
}

void OpenFlow::showProgress(const std::optional<ProgressDisplay> &display)
{
    if (!display || c.model.job().kind != JobKind::Decode)
        return;
    JobState job = c.model.job();
    job.progress = display->fraction;
    c.model.setJob(job);
}

void OpenFlow::reportFailure(const QString &path, const QString &reason)
{
    c.messages.show(QCoreApplication::translate("OpenFlow", "无法打开这个文件：\n%1\n\n%2").arg(path, reason),
                    QCoreApplication::translate("OpenFlow", "打开失败"), MessageButtons::Ok, MessageIcon::Critical);
}

void OpenFlow::close()
{
    if (!c.model.isFileOpen() && !c.decodeRunner.isRunning())
        return;
    if (c.messages.show(QCoreApplication::translate("OpenFlow", "当前的文件将被关闭，确定吗？"), QCoreApplication::translate("OpenFlow", "关闭"),
                        MessageButtons::OkCancel, MessageIcon::None)
        != MessageAnswer::Ok)
        return;
    // A closed file is closed: nothing of it plays, and the transport, the
    // marks and the save find nothing open, as at start-up.
    c.playback.stop();
    ++m_generation;  // a waveform still being read is of no use now
    if (c.decodeRunner.isRunning()) {
        // A file still being decoded is closed with its decode, whose end then
        // passes unnoticed.
        m_decodeGeneration = 0;
        m_decodedSoFar = {};
        c.decodeRunner.stopNow();
        setDecodeShown(false);
    }
    m_livePeaks.abandon();
    m_peaksPending = false;
    QFile::remove(c.paths.workWav());
    c.model.setMedia(std::nullopt);
}
