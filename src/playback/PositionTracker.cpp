#include "playback/PositionTracker.h"

#include "playback/PlaybackController.h"
#include "playback/Timeline.h"

#include <QCoreApplication>
#include <cmath>

namespace {

// A rejected query leaves the reply untouched, which reads as no number.
float askNumber(PlaybackDevice &device, const QString &query)
{
    bool ok = false;
    const QString reply = device.send(query, &ok);
    return ok ? static_cast<float>(timeline::leadingNumber(reply)) : 0.0f;
}

}  // namespace

PositionTracker::PositionTracker(EditorState &state, MainFace &face, PlaybackDevice &device,
                                 QObject *parent)
    : QObject(parent), state_(state), face_(face), device_(device)
{
    timer2_.setInterval(IntervalMs);
    connect(&timer2_, &QTimer::timeout, this, &PositionTracker::tick);
}

void PositionTracker::start()
{
    setEnabled(true);
}

void PositionTracker::setEnabled(bool enabled)
{
    // Enabling a running timer leaves its rhythm alone.
    if (enabled && !timer2_.isActive())
        timer2_.start();
    else if (!enabled)
        timer2_.stop();
}

bool PositionTracker::isEnabled() const
{
    return timer2_.isActive();
}

void PositionTracker::tick()
{
    bool changed = false;
    const float length = askNumber(device_, playback_command::statusLength());
    if (length == 0.0f) {
        showPlayHeadAt(0.0f, changed);
        if (changed)
            face_.touch();
        return;
    }

    // The device's own length only scales its position into a fraction; the
    // open file's length is the model's, known since the decode ended.
    const double position = askNumber(device_, playback_command::statusPosition());
    const auto fraction = static_cast<float>(position / static_cast<double>(length));
    state_.PlayFraction = fraction;
    state_.PlayPositionMs = std::llround(position);

    // The play head stands where its millisecond is in the stretch shown.
    const float x = state_.View.lengthMs() > 0
                        ? static_cast<float>(timeline::msToPosition(position, state_.View))
                        : timeline::TimelineSpan * fraction;
    showPlayHeadAt(x, changed);
    showPlayTime(state_.PlayPositionMs, changed);
    if (changed)
        face_.touch();

    const std::int64_t stopAt = state_.PreviewEndMs > 0 ? state_.PreviewEndMs : state_.Sel.endMs;
    if (state_.PlayingSelection && stopAt != 0 && position >= stopAt)
        stopAtSelectionEnd();
}

void PositionTracker::showPlayHeadAt(float x, bool &changed)
{
    if (face_.playHeadX == x)
        return;
    face_.playHeadX = x;
    changed = true;
}

void PositionTracker::showPlayTime(std::int64_t ms, bool &changed)
{
    // the label shows tenths: a new text only when the tenth changes
    const std::int64_t tenth = (ms + 50) / 100;
    if (tenth != shownPlayTenths_) {
        shownPlayTenths_ = tenth;
        shownTimeText_ = timeline::formatMilliseconds(ms);
    }
    if (face_.lblTime != shownTimeText_) {
        face_.lblTime = shownTimeText_;
        changed = true;
    }
}

void PositionTracker::stopAtSelectionEnd()
{
    playback::stopAndClose(device_);
    QCoreApplication::processEvents();
    state_.IsPaused = false;
    face_.lblTime = timeline::formatMilliseconds(0);
    state_.PlayingSelection = false;
    state_.PreviewEndMs = 0;
    state_.PlayFraction = 0.0f;
    state_.PlayPositionMs = 0;
    face_.touch();
}
