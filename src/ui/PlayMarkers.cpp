#include "ui/PlayMarkers.h"

#include "playback/PlaybackController.h"
#include "playback/PositionTracker.h"
#include "playback/Timeline.h"


#include <algorithm>
#include <utility>

PlayMarkers::PlayMarkers(EditorModel &model, TimelineFace &face, PlaybackDevice &device,
                         PositionTracker &tracker, QString workWav)
    : m_model(model), m_face(face), m_device(device), m_tracker(tracker), m_workWav(std::move(workWav))
{
}

void PlayMarkers::press(float pointerXTwips)
{
    // The timer stops first, so that no tick pulls the play head back while it
    // is held.
    m_tracker.setEnabled(false);
    m_face.dragging = true;
    m_face.draggedHandle = -1;
    m_face.dragStartX = timeline::roundHalfEven(pointerXTwips);
    playback::stopAndClose(m_device);
}

void PlayMarkers::move(float pointerXTwips)
{
    if (!m_face.dragging)
        return;
    const float x = m_face.playHeadX + pointerXTwips - static_cast<float>(m_face.dragStartX);
    if (x == m_face.playHeadX)
        return;
    m_face.playHeadX = x;
    m_face.touch();
}

void PlayMarkers::release(float /*pointerXTwips*/)
{
    if (!m_face.dragging)
        return;
    m_face.dragging = false;
    m_tracker.setEnabled(true);
    playFromPosition(m_face.playHeadX);
}

void PlayMarkers::panelPress(float pointerXTwips)
{
    playback::stopAndClose(m_device);
    playFromPosition(pointerXTwips);
}

void PlayMarkers::seekTo(std::int64_t ms)
{
    if (m_model.lengthMs() <= 0)
        return;
    playback::stopAndClose(m_device);
    playback::openUnderAlias(m_device, m_workWav);
    playback::playFromMs(m_device, std::clamp<std::int64_t>(ms, 0, m_model.playableMs()));
}

void PlayMarkers::playFromPosition(float xTwips)
{
    // No existence test: a missing file makes the open fail and nothing plays.
    // While the file is decoded, a press past what exists plays from its end.
    std::int64_t ms = timeline::positionToMs(xTwips, m_model.view());
    if (m_model.media() && !m_model.media()->isWhole())
        ms = std::clamp<std::int64_t>(ms, 0, m_model.playableMs());
    playback::openUnderAlias(m_device, m_workWav);
    playback::playFromMs(m_device, ms);
}
