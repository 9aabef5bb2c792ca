#include "playback/PlayMarkers.h"

#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "playback/Timeline.h"

#include <QCoreApplication>

#include <algorithm>
#include <utility>

PlayMarkers::PlayMarkers(EditorState &state, MainFace &face, PlaybackDevice &device,
                         PositionTracker &tracker, QString workWav)
    : state_(state), face_(face), device_(device), tracker_(tracker), workWav_(std::move(workWav))
{
}

void PlayMarkers::press(float pointerXTwips)
{
    // The timer goes first: the events processed below must not run a tick.
    tracker_.setEnabled(false);
    state_.IsDragging = true;
    state_.DragStartX = timeline::roundHalfEven(pointerXTwips);
    playback::stopAndClose(device_);
    QCoreApplication::processEvents();
}

void PlayMarkers::move(float pointerXTwips)
{
    if (!state_.IsDragging)
        return;
    const float x = face_.playHeadX + pointerXTwips - static_cast<float>(state_.DragStartX);
    if (x == face_.playHeadX)
        return;
    face_.playHeadX = x;
    face_.touch();
}

void PlayMarkers::release(float /*pointerXTwips*/)
{
    if (!state_.IsDragging)
        return;
    state_.IsDragging = false;
    tracker_.setEnabled(true);
    playFromPosition(face_.playHeadX);
}

void PlayMarkers::panelPress(float pointerXTwips)
{
    // No timer hold here: a tick during the processed events finds the device
    // closed and only puts the play head at the start.
    playback::stopAndClose(device_);
    QCoreApplication::processEvents();
    playFromPosition(pointerXTwips);
}

void PlayMarkers::seekTo(std::int64_t ms)
{
    if (state_.LengthMs <= 0)
        return;
    playback::stopAndClose(device_);
    QCoreApplication::processEvents();
    playback::openUnderAlias(device_, workWav_);
    playback::playFromMs(device_, std::clamp<std::int64_t>(ms, 0, state_.LengthMs));
}

void PlayMarkers::playFromPosition(float xTwips)
{
    // No existence test: a missing file makes the open fail and nothing plays.
    playback::openUnderAlias(device_, workWav_);
    playback::playFromMs(device_, timeline::positionToMs(xTwips, state_.View));
}
