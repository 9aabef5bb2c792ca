#include "playback/StringCommandDevice.h"

#include "playback/FadeEnvelope.h"
#include "playback/GainStage.h"
#include "playback/SdlAudioOutput.h"
#include "playback/StringCommandParser.h"
#include "playback/WavFacts.h"
#include "playback/WavFrameRing.h"
#include "playback/WavSource.h"
#include "playback/WavStreamFeeder.h"

#include <QDebug>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace string_device;

namespace {

enum class Mode { Closed, Stopped, Playing, Paused };

// More than any normalisation asks for, short of what would overflow a sample.
constexpr double MaxGainDb = 100.0;

// One alias: a file, its reader and its own audio output.
struct Channel {
    WavSource source;
    WavFrameRing ring;
    WavStreamFeeder feeder;
    SdlAudioOutput output;
    Mode mode = Mode::Closed;
    std::int64_t heldFrame = 0;  // the position whenever the device is not playing
    FrameLoop loop;               // what the next run repeats, as "setaudio ... loop" set it
    FrameLoop runLoop;            // what the running (or last) run repeats
    FadeEnvelope fade;                // as last set; flat: none
    std::optional<GainSetting> gain;  // as last set
    std::unique_ptr<GainStage> stage;  // with a gain: the feeder's shaping

    ~Channel() { close(); }

    std::int64_t totalFrames() const { return source.frames(); }

    std::int64_t framesToMilliseconds(std::int64_t frames) const
    {
        return frames * 1000 / source.sampleRate();
    }

    bool open(const QString &path)
    {
        if (!source.open(path))
            return false;
        // A header can claim anything; the ring and the driver are sized from
        // it, so only formats a listener could hear are taken.
        if (source.channels() < 1 || source.channels() > MaxPlayableChannels
            || source.sampleRate() < MinPlayableRate || source.sampleRate() > MaxPlayableRate) {
            qWarning("Cannot play %s: %d channels at %d Hz", qPrintable(path), source.channels(),
                     source.sampleRate());
            source.close();
            return false;
        }
        // About a second of audio: enough to ride out a slow disk, small even
        // for the decoded sound track of a whole film.
        ring.configure(source.channels(), static_cast<std::size_t>(source.sampleRate()));
        if (!output.open(source.sampleRate(), source.channels(), ring)) {
            qWarning("Cannot open an audio output: %s", qPrintable(output.errorText()));
            source.close();
            return false;
        }
        heldFrame = 0;
        mode = Mode::Stopped;
        return true;
    }

    void close()
    {
        if (mode == Mode::Playing)
            halt();
        feeder.stop();
        output.close();
        source.close();
        heldFrame = 0;
        loop = runLoop = FrameLoop{};
        mode = Mode::Closed;
        // The next file opens without fades and gain.
        fade = FadeEnvelope{};
        gain.reset();
        feeder.shapeWith(nullptr);
        stage.reset();
    }

    // Puts the fades and the gain where they act. Without a gain the output
    // scales by the fades as it hands frames over, from its next callback on.
    // With one, the feeder shapes the frames before they reach the ring, the
    // fades with the rest, in the order of the saved ringtone's filters (the
    // limiter must see the faded frames); playing then goes on from where the
    // listener is, so that the new shaping is heard from there on.
    void reshape()
    {
        const bool restart = mode == Mode::Playing && (stage || gain);
        if (restart)
            halt();
        stage = gain ? std::make_unique<GainStage>(fade, *gain, source.channels(), source.sampleRate()) : nullptr;
        feeder.shapeWith(stage.get());
        output.setFade(stage ? FadeEnvelope{} : fade);
        if (restart)
            startAt(heldFrame);
    }

    // Freezes playback where the callback has got to. Everything handed to the
    // driver is still heard after the pause, so that is where the listener is
    // left and where playing on continues, without a gap or a repeat.
    void halt()
    {
        output.halt();
        feeder.stop();
        heldFrame = output.reachedEnd() ? totalFrames()
                                        : std::min(runLoop.fileFrame(output.framesHanded()), totalFrames());
    }

    bool startAt(std::int64_t frame)
    {
        if (mode == Mode::Playing)
            halt();
        heldFrame = frame;
        mode = Mode::Stopped;
        if (frame >= totalFrames())
            return true;  // at the end already: playing is over at once
        if (!source.seek(frame)) {
            qWarning("Cannot seek in the sound file: %s", qPrintable(source.errorText()));
            return false;
        }
        ring.reset();
        // A run that starts past the loop's end plays on to the file's end.
        runLoop = frame < loop.endFrame ? loop : FrameLoop{};
        feeder.setLoop(runLoop, frame);
        output.setLoop(runLoop);
        if (stage)
            stage->restart(frame);
        // A tenth of a second in the ring before the device runs, so the first
        // callback already has sound.
        feeder.fill(source, ring, source.sampleRate() / 10);
        feeder.start(source, ring);
        output.start(frame);
        mode = Mode::Playing;
        return true;
    }

    // The device stops by itself at the end of the file; the callback only
    // flags it, and the halting is done here, on the commanding thread.
    void noticeEnd()
    {
        if (mode == Mode::Playing && output.reachedEnd()) {
            halt();  // leaves the position at the length
            mode = Mode::Stopped;
        }
    }

    std::int64_t positionFrame() const
    {
        if (mode == Mode::Playing)
            return std::min(output.heardFrame(), totalFrames());
        return heldFrame;
    }

    // Carries out a parsed command on an open device; false when it is rejected.
    bool carryOut(const StringCommand &command, QString *reply)
    {
        using Kind = StringCommand::Kind;
        noticeEnd();
        switch (command.kind) {
        case Kind::Open:
            return false;  // the alias is taken
        case Kind::Play:
            return mode == Mode::Playing || startAt(heldFrame);
        case Kind::PlayFrom: {
            const std::int64_t ms = command.milliseconds;
            if (ms < 0 || ms > framesToMilliseconds(totalFrames()))
                return false;
            // Rounded up, so the position read back is never below the one asked for.
            const std::int64_t rate = source.sampleRate();
            return startAt(std::min((ms * rate + 999) / 1000, totalFrames()));
        }
        case Kind::Pause:
            if (mode == Mode::Playing) {
                halt();
                mode = Mode::Paused;
            }
            return true;
        case Kind::Resume:
            if (mode == Mode::Paused)
                return startAt(heldFrame);
            return mode == Mode::Playing;
        case Kind::Stop:
            if (mode == Mode::Playing)
                halt();
            mode = Mode::Stopped;
            return true;
        case Kind::Close:
            close();
            return true;
        case Kind::Fade: {
            const auto &f = command.fade;
            if (f.startMs < 0 || f.inMs < 0 || f.outMs < 0 || f.endMs < f.startMs)
                return false;
            fade = fadeEnvelopeFromMs(f.startMs, f.inMs, f.endMs, f.outMs, source.sampleRate());
            reshape();
            return true;
        }
        case Kind::FadeOff:
            fade = FadeEnvelope{};
            reshape();
            return true;
        case Kind::Gain: {
            const GainSetting &g = command.gain;
            if (std::abs(g.gainDb) > MaxGainDb || (g.limitDbfs && *g.limitDbfs > 0.0) || g.rampStartMs < 0
                || g.rampMs < 0)
                return false;
            gain = g;
            reshape();
            return true;
        }
        case Kind::GainOff:
            gain.reset();
            reshape();
            return true;
        case Kind::Loop: {
            const auto &l = command.loop;
            if (l.startMs < 0 || l.endMs <= l.startMs)
                return false;
            FrameLoop wanted = frameLoopFromMs(l.startMs, l.endMs, source.sampleRate());
            wanted.endFrame = std::min(wanted.endFrame, totalFrames());
            loop = wanted.active() ? wanted : FrameLoop{};
            return true;
        }
        case Kind::LoopOff:
            loop = FrameLoop{};
            return true;
        case Kind::StatusLength:
            *reply = QString::number(framesToMilliseconds(totalFrames()));
            return true;
        case Kind::StatusPosition:
            *reply = QString::number(framesToMilliseconds(positionFrame()));
            return true;
        case Kind::StatusMode:
            *reply = mode == Mode::Playing  ? QStringLiteral("playing")
                     : mode == Mode::Paused ? QStringLiteral("paused")
                                            : QStringLiteral("stopped");
            return true;
        }
        return false;
    }
};

}  // namespace

// The open file plays under "sound", the completion sound under "chime"; each
// has its own output, so neither ever changes what the other holds.
struct StringCommandDevice::Impl {
    Channel sound;
    Channel chime;

    Channel &of(const QString &alias) { return alias == QLatin1String(ChimeAlias) ? chime : sound; }

    bool open(Channel &channel, const QString &path)
    {
        if (channel.open(path))
            return true;
        // Some outputs take one stream at a time (SDL's dummy and disk
        // drivers, a bare sound card): the open file comes first, the
        // completion sound gives way.
        if (&channel == &sound && chime.mode != Mode::Closed) {
            chime.close();
            return sound.open(path);
        }
        return false;
    }
};

StringCommandDevice::StringCommandDevice() : d(std::make_unique<Impl>()) {}

StringCommandDevice::~StringCommandDevice() = default;

QString StringCommandDevice::send(const QString &command, bool *ok)
{
    QString reply;
    bool accepted = false;
    if (const auto parsed = parseStringCommand(command)) {
        Channel &channel = d->of(parsed->alias);
        if (channel.mode == Mode::Closed)
            accepted = parsed->kind == StringCommand::Kind::Open && d->open(channel, parsed->path);
        else
            accepted = channel.carryOut(*parsed, &reply);
    }
    if (ok)
        *ok = accepted;
    return accepted ? reply : QString();
}

SdlOutputStats StringCommandDevice::driverStats() const
{
    return d->sound.output.stats();
}
