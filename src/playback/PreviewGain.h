#pragma once

#include "model/Selection.h"
#include "playback/GainStage.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

template <typename T>
class QFutureWatcher;

// The gain a loudness-normalised ringtone of a selection is saved with, for
// its preview. Measuring reads the whole stretch (up to a second for a long
// one), so it runs on a worker thread and the answer comes back on the thread
// that asked, through its event loop. The last answer is kept: asking again
// about the same stretch of the same, unchanged file is answered at once.
class PreviewGain {
public:
    using Gain = std::optional<string_device::GainSetting>;
    // The gain of [selection) of a WAV with these fades; none when the save
    // would apply none (a stretch with nothing to measure). Runs on a worker
    // thread.
    using Measure = std::function<Gain(const QString &wav, const Selection &selection, std::int64_t fadeInMs,
                                       std::int64_t fadeOutMs)>;
    using Ready = std::function<void(const Gain &)>;

    explicit PreviewGain(Measure measure);
    ~PreviewGain();
    PreviewGain(const PreviewGain &) = delete;
    PreviewGain &operator=(const PreviewGain &) = delete;

    // Whether there is a measure to ask at all.
    bool canMeasure() const { return bool(m_measure); }
    // Calls ready with the gain: at once when it is known, else once it is
    // measured. Replaces a request still waiting, which is never answered.
    void request(const QString &wav, const Selection &selection, std::int64_t fadeInMs, std::int64_t fadeOutMs,
                 Ready ready);
    // The request still waiting, if any, is never answered. A measure under
    // way goes on and is kept for the next request.
    void cancel() { m_ready = nullptr; }

private:
    // A stretch of a file as it is now: its size and time of change tell a
    // new working WAV under the same name.
    struct Stretch {
        QString wav;
        qint64 size = 0;
        qint64 modifiedMs = 0;
        Selection selection;
        std::int64_t fadeInMs = 0;
        std::int64_t fadeOutMs = 0;
        bool operator==(const Stretch &) const = default;
    };

    Measure m_measure;
    std::optional<std::pair<Stretch, Gain>> m_known;
    Stretch m_measuring;  // what m_watcher measures
    std::unique_ptr<QFutureWatcher<Gain>> m_watcher;
    Ready m_ready;
};
