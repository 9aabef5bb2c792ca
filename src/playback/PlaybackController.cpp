#include "playback/PlaybackController.h"

#include "playback/SelectionHandles.h"
#include "playback/ShortName.h"
#include "playback/Timeline.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <utility>

namespace playback {

void stopAndClose(PlaybackDevice &device)
{
    device.send(playback_command::stop());
    device.send(playback_command::close());
}

void openUnderAlias(PlaybackDevice &device, const QString &path)
{
    device.send(playback_command::open(GetShortName(path)));
}

bool playFromMs(PlaybackDevice &device, std::int64_t milliseconds)
{
    if (milliseconds > std::numeric_limits<std::int32_t>::max()
        || milliseconds < std::numeric_limits<std::int32_t>::min())
        return false;
    device.send(playback_command::playFrom(static_cast<std::int32_t>(milliseconds)));
    return true;
}

QString selectionFade(const Selection &selection, const CutShaping &shaping)
{
    if (!shaping.hasFades() || !selection.hasEnd() || selection.startMs < 0
        || selection.endMs < selection.startMs)
        return playback_command::fadeOff();
    // Each fade is at most the selection long, as the cut makes it.
    const std::int64_t length = selection.lengthMs();
    return playback_command::fade(selection.startMs,
                                  std::clamp<std::int64_t>(shaping.fadeInMs, 0, length),
                                  selection.endMs,
                                  std::clamp<std::int64_t>(shaping.fadeOutMs, 0, length));
}

bool workFileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

}  // namespace playback

PlaybackController::PlaybackController(EditorState &state, MainFace &face, PlaybackDevice &device,
                                       SelectionHandles &handles, QString workWav,
                                       std::function<void()> saveAction)
    : state_(state),
      face_(face),
      device_(device),
      handles_(handles),
      workWav_(std::move(workWav)),
      saveAction_(std::move(saveAction))
{
}

void PlaybackController::press(Button button)
{
    switch (button) {
    case Button::Play: play(); break;
    case Button::Stop: stop(); break;
    case Button::Pause: pause(); break;
    case Button::SetStart: handles_.setStartAtPlayPosition(); break;
    case Button::SetEnd: handles_.setEndAtPlayPosition(); break;
    case Button::PlaySelection: playSelection(); break;
    case Button::Save:
        if (saveAction_)
            saveAction_();
        break;
    }
}

void PlaybackController::stopAndClose()
{
    playback::stopAndClose(device_);
}

void PlaybackController::togglePlayPause()
{
    const bool playing = device_.send(playback_command::statusMode()) == QLatin1String("playing");
    if (playing)
        pause();
    else
        play();
}

void PlaybackController::playStretch(std::int64_t fromMs, std::int64_t untilMs)
{
    if (untilMs > fromMs)
        preview(fromMs, untilMs);
}

void PlaybackController::preview(std::int64_t fromMs, std::int64_t untilMs)
{
    stopAndClose();
    QCoreApplication::processEvents();
    if (!playback::workFileExists(workWav_))
        return;
    playback::openUnderAlias(device_, workWav_);
    // The fades stay anchored to the selection, whichever part of it plays.
    device_.send(playback::selectionFade(state_.Sel, state_.Shaping));
    // Set before the start position is checked: an overflowing start leaves the
    // device open and the flag set, with nothing playing.
    state_.PlayingSelection = true;
    state_.PreviewEndMs = untilMs;
    playback::playFromMs(device_, fromMs);
}

void PlaybackController::play()
{
    // Resuming never clears IsPaused, so every later Play resumes again until a
    // Stop: a paused file that then ran to its end is not restarted by Play.
    if (state_.IsPaused) {
        device_.send(playback_command::resume());
        return;
    }
    stop();
    if (!playback::workFileExists(workWav_))
        return;
    playback::openUnderAlias(device_, workWav_);
    device_.send(playback_command::fadeOff());
    device_.send(playback_command::play());
}

void PlaybackController::stop()
{
    state_.PlayingSelection = false;
    state_.PreviewEndMs = 0;
    stopAndClose();
    // Lets a pending tick or click run against the closed device before the
    // flags are cleared, as the rest of the program expects.
    QCoreApplication::processEvents();
    state_.IsPaused = false;
    face_.lblTime = timeline::formatMilliseconds(0);
    state_.PlayFraction = 0.0f;
    state_.PlayPositionMs = 0;
    face_.touch();
}

void PlaybackController::pause()
{
    state_.IsPaused = true;
    device_.send(playback_command::pause());
}

void PlaybackController::playSelection()
{
    if (state_.Sel.isUnset())
        return;
    preview(state_.Sel.startMs, 0);  // up to the selection's own end
}
