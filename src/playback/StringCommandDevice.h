#pragma once

#include "playback/PlaybackDevice.h"

#include <memory>

namespace string_device {
struct SdlOutputStats;
}

// The program's playback device: plays one audio file under the alias "sound",
// commanded by the command texts of the playback controller, and the
// completion sound under its own alias "chime" on its own output. The file is read
// with libsndfile and streamed to SDL2 by a small reader thread, so memory stays
// at about a second of audio however long the file is.
//
// It behaves like the desktop multimedia device the commands were made for:
// positions are what the listener hears (within one audio buffer); at the end of
// the file it stops by itself and stays open with its position at the length;
// "stop sound" keeps the device open and the position where it was.
//
// "setaudio sound fade START_MS IN_MS END_MS OUT_MS" puts linear fades on
// what the alias plays from then on: the gain rises from 0 to 1 over
// [START_MS, START_MS + IN_MS) and falls from 1 to 0 over [END_MS - OUT_MS,
// END_MS), by position in the file, so seeking, pausing and resuming never
// shift them; outside [START_MS, END_MS) nothing changes (see FadeEnvelope.h).
// It is refused for a negative value or END_MS before START_MS.
// "setaudio sound fade off" takes the fades away again, as does closing: a
// file is always opened without them. With no fades, and with both fades 0,
// the frames reach the driver exactly as the file holds them.
//
// "setaudio sound loop START_MS END_MS" makes the runs started from then on
// (play, play from, resume) repeat [START_MS, END_MS) of the file without a
// gap: past END_MS the next frame is START_MS's again, the fades apply to each
// pass by position in the file, and the position read back goes round with
// it. A run started at or past END_MS plays on to the file's end. It is
// refused for a negative start or END_MS not after START_MS; an end past the
// file's end is its end. "setaudio sound loop off" ends it from the next run;
// closing ends it too.
//
// "setaudio sound gain DB [limit DBFS] [ramp START_MS MS]" puts a loudness
// normalisation's level on what the alias plays from then on, after the fades:
// a linear rise from silence over [START_MS, START_MS + MS) of the file (frames
// before it keep their level), a fixed gain of DB decibels and, with "limit",
// a look-ahead limiter holding sample peaks to DBFS (LookaheadLimiter.h, the
// model the loudness measure uses), all in the order of the saved ringtone's
// filters. Set while playing, playing goes on from after the last frame handed
// to the driver with the new level. It is refused for a gain beyond
// 100 dB either way, a ceiling over 0 dBFS or a negative ramp value.
// "setaudio sound gain off" takes it away again, as does closing.
//
// A rejected command (unknown text, nothing open, a position outside the file,
// a missing or unreadable file, a second "open") answers nothing and changes
// nothing.
//
// send() is meant for one thread, the user-interface thread.
class StringCommandDevice : public PlaybackDevice {
public:
    StringCommandDevice();
    ~StringCommandDevice() override;
    StringCommandDevice(const StringCommandDevice &) = delete;
    StringCommandDevice &operator=(const StringCommandDevice &) = delete;

    QString send(const QString &command, bool *ok = nullptr) override;

    // What the audio driver has been handed so far (include
    // playback/SdlAudioOutput.h to use it). For the benchmark and the tests.
    string_device::SdlOutputStats driverStats() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
