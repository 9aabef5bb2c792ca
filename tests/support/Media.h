#pragma once

#include <QString>
#include <QList>
#include <QStringList>

// Test media made on the spot with ffmpeg's lavfi sources, and what ffprobe
// says about a file. Every helper runs the real ffmpeg/ffprobe from PATH.
namespace media {

// The transcoder adapter of this build tree.
QString adapterPath();

// False (with the reason in *why) when ffmpeg or ffprobe cannot be run.
bool toolsAvailable(QString *why = nullptr);

// Runs ffmpeg with arguments (after "-nostdin -v error -y"); true on exit 0.
// On failure *log holds what ffmpeg said.
bool runFfmpeg(const QStringList &arguments, QString *log = nullptr);

// Stereo tone (440 Hz left, 660 Hz right) as a CBR MP3.
bool makeStereoMp3(const QString &path, double seconds, int sampleRate = 44100,
                   const QString &bitRate = QStringLiteral("192k"));
// A small MPEG-4 video (test picture) with a stereo AAC sound track.
bool makeVideoWithSound(const QString &path, double seconds);
// 16-bit stereo PCM WAV.
bool makeWav(const QString &path, double seconds, int sampleRate = 44100);
// The same tone as a WAV in any PCM codec and channel count, with extra output
// options (e.g. "-rf64", "always").
bool makePcmWav(const QString &path, double seconds, int sampleRate, int channels,
                const QString &codec, const QStringList &extra = {});

// The first bytes of source as a new file.
bool writeTruncatedCopy(const QString &source, const QString &destination, qint64 bytes);

struct AudioInfo {
    bool valid = false;
    QString error;          // why valid is false
    QString codec;          // ffprobe's codec_name of the first audio stream
    int sampleRate = 0;
    int channels = 0;
    qint64 bitRate = 0;     // of the audio stream, 0 when ffprobe gives none
    double duration = -1;   // of the container, seconds
    QString container;      // ffprobe's format_name ("mp3", "mov,mp4,m4a,3gp,3g2,mj2", ...)
    QString profile;        // of the audio stream ("LC" for AAC-LC), empty when none
    QString title;          // title tag of the container or the stream, empty when none
    QString artist;         // artist tag of the container or the stream, empty when none
};

AudioInfo probe(const QString &path);

// What ffmpeg's own EBU R128 meter (the ebur128 filter, true peak on) says of
// a file's whole sound.
struct Loudness {
    bool valid = false;
    QString error;                 // why valid is false
    double integratedLufs = 0.0;   // the summary's "I:"
    double truePeakDbtp = 0.0;     // the summary's true "Peak:"
};
Loudness measureLoudness(const QString &path);

// The samples of a 16-bit PCM WAV, interleaved, read from its data chunk;
// empty when the file is not one.
struct Pcm16 {
    int sampleRate = 0;
    int channels = 0;
    QList<qint16> samples;
    // Root mean square over [fromSeconds, toSeconds) of all channels, 0..1.
    double rms(double fromSeconds, double toSeconds) const;
};
Pcm16 readPcm16(const QString &path);

// True once the process no longer runs (gone, or a zombie nobody collected).
bool processIsGone(qint64 pid);

// A shell script (body after "#!/bin/sh") as an executable file: a stand-in
// for ffmpeg, named to the adapter by BRINDLEWAVE_FFMPEG.
bool writeScript(const QString &path, const QByteArray &body);

// ffmpeg's own "file:" prefix, so that no path is ever taken for a protocol.
QString asFileUrl(const QString &path);

}  // namespace media
