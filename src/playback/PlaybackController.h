#pragma once

#include "model/EditorModel.h"
#include "playback/PlaybackDevice.h"
#include "playback/PreviewGain.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

// Every command text the playback device is ever sent, in one place, so the
// transport bar, the position timer, the markers and the flows cannot drift apart.
namespace playback_command {
inline QString open(const QString &shortPath)
{
    return QStringLiteral("open ") + shortPath + QStringLiteral(" alias sound");
}
inline QString play() { return QStringLiteral("play sound"); }
inline QString playFrom(std::int32_t milliseconds)
{
    return QStringLiteral("play sound from ") + QString::number(milliseconds);
}
inline QString pause() { return QStringLiteral("pause sound"); }
inline QString resume() { return QStringLiteral("resume sound"); }
inline QString stop() { return QStringLiteral("stop sound"); }
inline QString close() { return QStringLiteral("close sound"); }
inline QString statusLength() { return QStringLiteral("status sound length"); }
inline QString statusPosition() { return QStringLiteral("status sound position"); }
inline QString statusMode() { return QStringLiteral("status sound mode"); }
// Linear fades on what "sound" plays from then on, by position in the file: in
// over [startMs, startMs + inMs), out over [endMs - outMs, endMs); nothing
// outside [startMs, endMs) changes. Closing the file takes them away too.
inline QString fade(std::int64_t startMs, std::int64_t inMs, std::int64_t endMs,
                    std::int64_t outMs)
{
    return QStringLiteral("setaudio sound fade %1 %2 %3 %4")
        .arg(QString::number(startMs), QString::number(inMs), QString::number(endMs),
             QString::number(outMs));
}
inline QString fadeOff() { return QStringLiteral("setaudio sound fade off"); }
// What "sound" plays from the next run on repeats [startMs, endMs) of the file.
inline QString loop(std::int64_t startMs, std::int64_t endMs)
{
    return QStringLiteral("setaudio sound loop %1 %2").arg(QString::number(startMs), QString::number(endMs));
}
// A loudness normalisation's level on what "sound" plays from then on, after
// the fades: a linear rise from silence over [rampStartMs, rampStartMs +
// rampMs) when rampMs > 0, the gain, and a look-ahead limiter holding sample
// peaks to limitDbfs when there is one. Decibels with two decimals, as the
// saved ringtone's filter has them. Closing the file takes it away too.
inline QString gain(const string_device::GainSetting &setting)
{
    QString text = QStringLiteral("setaudio sound gain ") + QString::number(setting.gainDb, 'f', 2);
    if (setting.limitDbfs)
        text += QStringLiteral(" limit ") + QString::number(*setting.limitDbfs, 'f', 2);
    if (setting.rampMs > 0)
        text += QStringLiteral(" ramp %1 %2").arg(QString::number(setting.rampStartMs), QString::number(setting.rampMs));
    return text;
}

// The completion sound, on its own alias so that it never changes the open
// file's device.
inline QString openChime(const QString &shortPath)
{
    return QStringLiteral("open ") + shortPath + QStringLiteral(" alias chime");
}
inline QString playChime() { return QStringLiteral("play chime"); }
inline QString stopChime() { return QStringLiteral("stop chime"); }
inline QString closeChime() { return QStringLiteral("close chime"); }
}  // namespace playback_command

namespace playback {

// The stop/close pair: always both, stop first. Harmless while nothing is open.
void stopAndClose(PlaybackDevice &device);

// Opens the file under the alias "sound". No existence test: a missing file
// gives an empty path and the device refuses it.
void openUnderAlias(PlaybackDevice &device, const QString &path);

// "play sound from" at the given millisecond. Sends nothing and returns false
// when the value does not fit in 32 signed bits, as the device reads it.
bool playFromMs(PlaybackDevice &device, std::int64_t milliseconds);

// The fade command to send before playing the selection or part of it: the
// saved ringtone's fades where its file will have them (each at most the
// selection long), or "off" when there is nothing to hear (no fades, or a
// selection without an end to fade out at).
QString selectionFade(const Marks &marks, const CutShaping &shaping);

// Whether the working WAV is there to be played (a plain file, not a folder).
bool workFileExists(const QString &path);

}  // namespace playback

// The transport bar: Play, Stop, Pause, Set start, Set end, Play selection and
// the save shortcut, in the order of its buttons.
class PlaybackController {
public:
    enum class Button {
        Play,
        Stop,
        Pause,
        SetStart,
        SetEnd,
        PlaySelection,
        Save,
        Loop,
    };
    static constexpr int ButtonCount = 8;

    // What the buttons that are not playback do: put the start or the end mark
    // at the play position, and save.
    struct Hooks {
        std::function<void()> setStart;
        std::function<void()> setEnd;
        std::function<void()> save;
    };

    // normalizedGain: the gain a save with loudness normalisation gives a
    // selection, for its preview; none: previews never have one.
    PlaybackController(EditorModel &model, PlaybackDevice &device, QString workWav, Hooks hooks,
                       PreviewGain::Measure normalizedGain = {});

    // What a press of the button does.
    void press(Button button);
    void play();
    void stop();
    void pause();
    void playSelection();
    // Plays the selection over and over, with its fades on each pass, until
    // Stop or Loop again (which leaves the head at the selection's start).
    // Nothing without a selection that lasts.
    void loop();

    // The stop/close pair on its own, for the flows that must free the device.
    void stopAndClose();

    // Pause while the device plays, else Play (which resumes after a pause).
    void togglePlayPause();
    // Plays [fromMs, untilMs) of the working WAV as a selection preview does,
    // stopping at untilMs, with the selection's fades where they fall.
    void playStretch(std::int64_t fromMs, std::int64_t untilMs);

private:
    // Pauses what the device plays, and remembers it for Play to resume.
    void holdPlayback();
    // Plays from fromMs and stops at untilMs, or at the selection's end for 0,
    // with the fades of the saved ringtone on, and its gain when it is
    // normalised (once that is measured); every other playback has none. With
    // repeat, it loops [fromMs, untilMs) until stopped.
    void preview(std::int64_t fromMs, std::int64_t untilMs, bool repeat = false);
    void startPreview(std::int64_t fromMs, std::int64_t untilMs, const QString &fade,
                      const PreviewGain::Gain &gain, bool repeat);

    EditorModel &m_model;
    PlaybackDevice &m_device;
    QString m_workWav;
    Hooks m_hooks;
    PreviewGain m_gain;
};
