#include "model/EditorModel.h"

#include <algorithm>

namespace {

// Assigns and reports whether anything changed.
template <typename T>
bool assign(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

}  // namespace

void EditorModel::setMedia(std::optional<OpenMedia> media)
{
    if (media && media->lengthMs <= 0)
        media.reset();
    if (!assign(m_media, media))
        return;
    const bool marksMoved = assign(m_marks, Marks{});
    const bool viewMoved = assign(m_view, media ? VisibleSpan{0.0, double(media->lengthMs)} : VisibleSpan{});
    emit mediaChanged();
    if (marksMoved)
        emit marksChanged();
    if (viewMoved)
        emit viewChanged();
}

void EditorModel::updateMedia(const OpenMedia &media)
{
    if (!m_media || m_media->sourcePath != media.sourcePath || media.lengthMs <= 0)
        return setMedia(media);
    const bool wholeView = m_view.startMs <= 0.0 && m_view.endMs >= double(m_media->lengthMs);
    const bool peaksMoved = m_media->peaks != media.peaks;
    if (!assign(*m_media, media))
        return;
    const std::int64_t length = media.lengthMs;
    Marks fitted = m_marks;
    fitted.startMs = std::min(fitted.startMs, length);
    if (fitted.endMs)
        fitted.endMs = std::min(*fitted.endMs, length);
    const bool marksMoved = assign(m_marks, fitted);
    const double file = double(length);
    VisibleSpan view = wholeView ? VisibleSpan{0.0, file} : m_view;
    view.startMs = std::clamp(view.startMs, 0.0, file);
    view.endMs = std::clamp(view.endMs, view.startMs, file);
    const bool viewMoved = assign(m_view, view);
    emit mediaChanged();
    if (peaksMoved)
        emit peaksChanged();
    if (marksMoved)
        emit marksChanged();
    if (viewMoved)
        emit viewChanged();
}

void EditorModel::setPeaks(std::shared_ptr<const PeakSummary> peaks)
{
    if (!m_media || m_media->peaks == peaks)
        return;
    m_media->peaks = std::move(peaks);
    emit peaksChanged();
}

namespace {

// 0 <= start <= end <= lengthMs, the end where there is one.
bool marksFit(const Marks &marks, std::int64_t lengthMs)
{
    if (marks.startMs < 0 || marks.startMs > lengthMs)
        return false;
    return !marks.endMs || (*marks.endMs >= marks.startMs && *marks.endMs <= lengthMs);
}

}  // namespace

bool EditorModel::setMarks(const Marks &marks)
{
    if (!marksFit(marks, lengthMs()))
        return false;
    if (assign(m_marks, marks))
        emit marksChanged();
    return true;
}

void EditorModel::setView(const VisibleSpan &view)
{
    const double file = static_cast<double>(lengthMs());
    VisibleSpan kept{};
    if (file > 0) {
        kept.startMs = std::clamp(view.startMs, 0.0, file);
        kept.endMs = std::clamp(view.endMs, kept.startMs, file);
    }
    if (assign(m_view, kept))
        emit viewChanged();
}

void EditorModel::setPlay(const PlayState &play)
{
    if (assign(m_play, play))
        emit playChanged();
}

void EditorModel::setJob(const JobState &job)
{
    if (assign(m_job, job))
        emit jobChanged();
}

void EditorModel::setShaping(const CutShaping &shaping)
{
    if (assign(m_shaping, shaping))
        emit shapingChanged();
}

void EditorModel::setNotice(const Notice &notice)
{
    if (assign(m_notice, notice))
        emit noticeChanged();
}

void EditorModel::setAfterSave(const AfterSave &afterSave)
{
    if (assign(m_afterSave, afterSave))
        emit afterSaveChanged();
}

void EditorModel::setLastSave(const LastSave &lastSave)
{
    if (assign(m_lastSave, lastSave))
        emit lastSaveChanged();
}

void EditorModel::setOpenHistory(OpenHistory history)
{
    QStringList recent;
    for (const QString &path : std::as_const(history.recent)) {
        if (!path.isEmpty() && !recent.contains(path) && recent.size() < OpenHistory::MostRecent)
            recent << path;
    }
    history.recent = recent;
    history.filter = std::max(history.filter, 0);
    if (assign(m_openHistory, history))
        emit openHistoryChanged();
}
