#include "playback/PositionTracker.h"

#include "playback/PlaybackController.h"
#include "playback/Timeline.h"

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

PositionTracker::PositionTracker(EditorModel &model, PlaybackDevice &device, QObject *parent)
    : QObject(parent), m_model(model), m_device(device)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PositionTracker::tick);
}

void PositionTracker::start()
{
    setEnabled(true);
}

void PositionTracker::setEnabled(bool enabled)
{
    // Enabling a running timer leaves its rhythm alone.
    if (enabled && !m_timer.isActive())
        m_timer.start();
    else if (!enabled)
        m_timer.stop();
}

bool PositionTracker::isEnabled() const
{
    return m_timer.isActive();
}

void PositionTracker::tick()
{
    PlayState play = m_model.play();
    const float length = askNumber(m_device, playback_command::statusLength());
    if (length == 0.0f) {
        // Nothing loaded: the play head stands at the start, and nothing loops.
        play.loaded = false;
        play.looping = false;
        m_model.setPlay(play);
        emit ticked();
        return;
    }

    // The device's own length only scales its position into a fraction; the
    // open file's length is the model's, known since the decode ended.
    const double position = askNumber(m_device, playback_command::statusPosition());
    play.loaded = true;
    play.restMs.reset();
    play.fraction = static_cast<float>(position / static_cast<double>(length));
    play.positionMs = std::llround(position);
    m_model.setPlay(play);
    emit ticked();

    const std::optional<std::int64_t> stopAt = play.previewEndMs ? play.previewEndMs : m_model.marks().endMs;
    if (play.playingSelection && !play.looping && stopAt && *stopAt != 0 && position >= *stopAt)
        stopAtSelectionEnd();
}

void PositionTracker::stopAtSelectionEnd()
{
    // The head goes back to the selection's start, ready to play it again.
    playback::stopAndClose(m_device);
    PlayState rest;
    rest.restMs = m_model.marks().startMs;
    m_model.setPlay(rest);
}
