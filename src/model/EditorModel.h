#pragma once

#include "model/CutShaping.h"
#include "model/Selection.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

class PeakSummary;

// The file the editor has open: known once a decode has begun to write a
// playable working WAV, whole once it has ended.
struct OpenMedia {
    QString sourcePath;  // the file the user opened
    QString title;       // its title tag; empty: none
    // The working WAV's length, above 0; while the decode runs, what the
    // decoder announced (at least what is written), corrected when it ends.
    std::int64_t lengthMs = 0;
    std::shared_ptr<const PeakSummary> peaks;  // its waveform; null: not (yet) read
    QString workingWav;  // the decoded copy that plays and is cut
    int sampleRate = 0;  // of the working WAV
    int channels = 0;
    // While the decode runs: the working WAV holds [0, decodedMs) so far, and
    // nothing after it can be played or saved yet. None: the whole file.
    std::optional<std::int64_t> decodedMs;

    bool isWhole() const { return !decodedMs; }
    // Where playing and seeking must stop: what exists of the working WAV.
    std::int64_t playableMs() const { return decodedMs ? std::min(*decodedMs, lengthMs) : lengthMs; }
    bool operator==(const OpenMedia &) const = default;
};

// What the playback device is doing, as the position timer last saw it.
struct PlayState {
    bool loaded = false;            // the device holds the working WAV and reports a length
    bool paused = false;            // Play resumes rather than restarts
    bool playingSelection = false;  // a preview of the selection runs and stops at its end
    bool looping = false;           // the preview repeats the selection until stopped
    std::optional<std::int64_t> previewEndMs;  // a preview of part of the selection stops here
    std::int64_t positionMs = 0;    // the play position
    float fraction = 0.0f;          // the play position as a share of the device's length
    // While the device holds nothing: where the play head rests and Play
    // starts (a preview that reached its end: the selection's start); none:
    // the file's start.
    std::optional<std::int64_t> restMs;

    bool operator==(const PlayState &) const = default;
};

// The transcoder job that runs, if any, and how far it has got.
enum class JobKind { None, Decode, Cut };
struct JobState {
    JobKind kind = JobKind::None;
    QString path;                     // the file being decoded, or the cut's destination
    std::optional<double> progress;   // 0..1 once the job has said how far it is

    bool running() const { return kind != JobKind::None; }
    bool operator==(const JobState &) const = default;
};

// What the last save or cancelled job came to, shown in the status strip until
// the next job starts.
struct Notice {
    enum class Kind { None, Saved, OpenCancelled, SaveCancelled };
    Kind kind = Kind::None;
    QString file;          // the saved ringtone, or the file whose open was cancelled
    double seconds = 0.0;  // a saved ringtone's length
    qint64 bytes = 0;      // a saved ringtone's size

    bool operator==(const Notice &) const = default;
};

// What happens after a save, as the settings dialog sets it.
struct AfterSave {
    bool openFolder = true;  // open the ringtone's folder
    bool playSound = true;   // play the completion sound

    bool operator==(const AfterSave &) const = default;
};

// The last save, offered again by the next one; empty until there was one.
struct LastSave {
    QString format;  // format id ("MP3", ...)
    QString folder;

    bool operator==(const LastSave &) const = default;
};

// Where the user opens files from, kept across runs: the open dialog's own
// folder and filter, and the files opened last.
struct OpenHistory {
    static constexpr int MostRecent = 10;
    QString folder;      // empty: none yet
    int filter = 0;      // the open dialog's filter, counted from 0
    QStringList recent;  // newest first: at most MostRecent, no path twice

    bool operator==(const OpenHistory &) const = default;
};

// The editor's truth: every value the flows change and the window shows. Each
// value has one setter, which checks it and raises that value's signal when it
// changes; nothing else writes it.
class EditorModel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const std::optional<OpenMedia> &media() const { return m_media; }
    // A file is open, whether or not its decode has ended.
    bool isFileOpen() const { return m_media.has_value(); }
    std::int64_t lengthMs() const { return m_media ? m_media->lengthMs : 0; }
    // What of the open file can be played and seeked to; 0 without one.
    std::int64_t playableMs() const { return m_media ? m_media->playableMs() : 0; }
    // Opening or closing a file puts the marks back at its start, unset, and
    // the view on the whole file (empty without one).
    void setMedia(std::optional<OpenMedia> media);
    // The open file, better known: more of it decoded, or its true length once
    // the decode ends. The marks and the view stay where they are, moved only
    // as far as the new length makes them (a view of the whole file stays
    // whole). Another source, or nothing open, is an open: as setMedia.
    void updateMedia(const OpenMedia &media);
    // The open file's waveform, once it has been read (it is read after the
    // file opens); ignored while nothing is open.
    void setPeaks(std::shared_ptr<const PeakSummary> peaks);

    const Marks &marks() const { return m_marks; }
    // Refused (false, nothing changes) unless 0 <= start <= end <= the open
    // file's length; with nothing open only the unset marks are taken.
    bool setMarks(const Marks &marks);

    const VisibleSpan &view() const { return m_view; }
    // Kept inside the open file; nothing open: the empty span.
    void setView(const VisibleSpan &view);

    const PlayState &play() const { return m_play; }
    void setPlay(const PlayState &play);

    const JobState &job() const { return m_job; }
    void setJob(const JobState &job);

    const CutShaping &shaping() const { return m_shaping; }
    void setShaping(const CutShaping &shaping);

    const Notice &notice() const { return m_notice; }
    void setNotice(const Notice &notice);

    const AfterSave &afterSave() const { return m_afterSave; }
    void setAfterSave(const AfterSave &afterSave);

    const LastSave &lastSave() const { return m_lastSave; }
    void setLastSave(const LastSave &lastSave);

    const OpenHistory &openHistory() const { return m_openHistory; }
    // Empty and repeated paths are dropped (the first kept), the list cut to
    // OpenHistory::MostRecent, a negative filter taken as 0.
    void setOpenHistory(OpenHistory history);

signals:
    void mediaChanged();
    void peaksChanged();
    void marksChanged();
    void viewChanged();
    void playChanged();
    void jobChanged();
    void shapingChanged();
    void noticeChanged();
    void afterSaveChanged();
    void lastSaveChanged();
    void openHistoryChanged();

private:
    std::optional<OpenMedia> m_media;
    Marks m_marks;
    VisibleSpan m_view;
    PlayState m_play;
    JobState m_job;
    CutShaping m_shaping;
    Notice m_notice;
    AfterSave m_afterSave;
    LastSave m_lastSave;
    OpenHistory m_openHistory;
};
