#pragma once

#include <QString>

// The string-command playback device: one device under the alias "sound",
// commanded only by the command texts of the playback controller ("open PATH
// alias sound", "play sound", "play sound from MS", "pause sound", "resume sound",
// "stop sound", "close sound", "status sound length", "status sound position",
// "status sound mode", "setaudio sound fade START_MS IN_MS END_MS OUT_MS",
// "setaudio sound fade off", "setaudio sound gain DB [limit DBFS] [ramp
// START_MS MS]" and "setaudio sound gain off").
// The completion sound uses the same texts under the alias "chime", which has
// its own file and output and never touches what "sound" holds.
class PlaybackDevice {
public:
    virtual ~PlaybackDevice() = default;
    // Carries out one command. Returns the reply text (decimal milliseconds for
    // the two status queries, empty otherwise); *ok tells whether the device
    // accepted it. A rejected command changes nothing.
    virtual QString send(const QString &command, bool *ok = nullptr) = 0;
};
