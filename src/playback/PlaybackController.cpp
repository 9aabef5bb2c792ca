#include "playback/PlaybackController.h"

#include "playback/ShortName.h"
#include "playback/Timeline.h"

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

QString selectionFade(const Marks &marks, const CutShaping &shaping)
{
    const std::optional<Selection> selection = marks.selection();
    if (!shaping.hasFades() || !selection)
        return playback_command::fadeOff();
    // Each fade is at most the selection long, as the cut makes it.
    const std::int64_t length = selection->lengthMs();
    return playback_command::fade(selection->startMs,
                                  std::clamp<std::int64_t>(shaping.fadeInMs, 0, length),
                                  selection->endMs,
                                  std::clamp<std::int64_t>(shaping.fadeOutMs, 0, length));
}

bool workFileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

}  // namespace playback

PlaybackController::PlaybackController(EditorModel &model, PlaybackDevice &device, QString workWav, Hooks hooks,
                                       PreviewGain::Measure normalizedGain)
    : m_model(model), m_device(device), m_workWav(std::move(workWav)), m_hooks(std::move(hooks)),
      m_gain(std::move(normalizedGain))
{
}

void PlaybackController::press(Button button)
{
    const auto call = [](const std::function<void()> &hook) {
        if (hook)
            hook();
    };
    switch (button) {
    case Button::Play: play(); break;
    case Button::Stop: stop(); break;
    case Button::Pause: pause(); break;
    case Button::SetStart: call(m_hooks.setStart); break;
    case Button::SetEnd: call(m_hooks.setEnd); break;
    case Button::PlaySelection: playSelection(); break;
    case Button::Loop: loop(); break;
    case Button::Save: call(m_hooks.save); break;
    }
}

void PlaybackController::stopAndClose()
{
    m_gain.cancel();  // a preview still waiting for its gain never starts
    playback::stopAndClose(m_device);
}

void PlaybackController::togglePlayPause()
{
    const bool playing = m_device.send(playback_command::statusMode()) == QLatin1String("playing");
    if (playing)
        holdPlayback();
    else
        play();
}

void PlaybackController::playStretch(std::int64_t fromMs, std::int64_t untilMs)
{
    if (untilMs > fromMs)
        preview(fromMs, untilMs);
}

void PlaybackController::preview(std::int64_t fromMs, std::int64_t untilMs, bool repeat)
{
    stopAndClose();
    if (!playback::workFileExists(m_workWav))
        return;
    // The fades stay anchored to the selection, whichever part of it plays.
    const QString fade = playback::selectionFade(m_model.marks(), m_model.shaping());
    const CutShaping shaping = m_model.shaping();
    const std::optional<Selection> selection = m_model.marks().selection();
    if (!shaping.normalize || !selection || !m_gain.canMeasure()) {
        startPreview(fromMs, untilMs, fade, std::nullopt, repeat);
        return;
    }
    // The gain the save would measure for this stretch, with these fades.
    m_gain.request(m_workWav, *selection, shaping.fadeInMs, shaping.fadeOutMs,
                   [this, fromMs, untilMs, fade, repeat](const PreviewGain::Gain &gain) {
                       startPreview(fromMs, untilMs, fade, gain, repeat);
                   });
}

void PlaybackController::startPreview(std::int64_t fromMs, std::int64_t untilMs, const QString &fade,
                                      const PreviewGain::Gain &gain, bool repeat)
{
    playback::openUnderAlias(m_device, m_workWav);
    m_device.send(fade);
    if (gain)
        m_device.send(playback_command::gain(*gain));
    if (repeat)
        m_device.send(playback_command::loop(fromMs, untilMs));
    // Set before the start position is checked: an overflowing start leaves the
    // device open and the flag set, with nothing playing.
    PlayState play = m_model.play();
    play.playingSelection = true;
    play.previewEndMs = untilMs > 0 ? std::optional<std::int64_t>(untilMs) : std::nullopt;
    play.paused = false;
    play.loaded = true;
    play.looping = repeat;
    m_model.setPlay(play);
    playback::playFromMs(m_device, fromMs);
}

void PlaybackController::loop()
{
    if (m_model.play().looping) {
        stopAndClose();
        PlayState rest;
        rest.restMs = m_model.marks().startMs;
        m_model.setPlay(rest);
        return;
    }
    const std::optional<Selection> selection = m_model.marks().selection();
    if (!selection || selection->lengthMs() <= 0)
        return;
    preview(selection->startMs, selection->endMs, true);
}

void PlaybackController::play()
{
    // A pause is resumed once; a resumed run that then played to its end, like
    // any other, is started again by the next Play.
    if (m_model.play().paused) {
        PlayState play = m_model.play();
        play.paused = false;
        m_model.setPlay(play);
        m_device.send(playback_command::resume());
        return;
    }
    // From where the head rests, if it rests anywhere but the start.
    const std::optional<std::int64_t> from = m_model.play().loaded ? std::nullopt : m_model.play().restMs;
    stop();
    if (!playback::workFileExists(m_workWav))
        return;
    playback::openUnderAlias(m_device, m_workWav);
    m_device.send(playback_command::fadeOff());
    if (from && *from > 0)
        playback::playFromMs(m_device, *from);
    else
        m_device.send(playback_command::play());
    PlayState play = m_model.play();
    play.loaded = true;
    m_model.setPlay(play);
}

void PlaybackController::stop()
{
    stopAndClose();
    // Back to the file's start with nothing playing and nothing paused.
    m_model.setPlay(PlayState{});
}

void PlaybackController::pause()
{
    // Nothing held, nothing to pause: a Play after Stop then Pause plays.
    if (m_model.play().loaded)
        holdPlayback();
}

void PlaybackController::holdPlayback()
{
    PlayState play = m_model.play();
    play.paused = true;
    m_model.setPlay(play);
    m_device.send(playback_command::pause());
}

void PlaybackController::playSelection()
{
    const Marks &marks = m_model.marks();
    if (marks.startMs == 0 && !marks.hasEnd())
        return;
    preview(marks.startMs, 0);  // up to the selection's own end
}
