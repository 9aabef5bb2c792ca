#pragma once

#include <QString>
#include <cstdint>

struct sf_private_tag;  // libsndfile's SNDFILE, kept out of this header

namespace string_device {

// One audio file opened with libsndfile and read as interleaved float frames,
// whatever its sample format (16/24/32-bit, float, extensible, RF64). Used by one
// thread at a time: the device while playback is halted, the reader thread while
// it runs.
class WavSource {
public:
    WavSource() = default;
    ~WavSource();
    WavSource(const WavSource &) = delete;
    WavSource &operator=(const WavSource &) = delete;

    // False, with errorText() set, when the file is missing, unreadable or not audio.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }
    std::int64_t frames() const { return m_frames; }
    QString errorText() const { return m_error; }

    bool seek(std::int64_t frame);
    // Reads up to count frames into out; fewer at the end of the file or on a
    // read error (errorText() then says which).
    std::int64_t read(float *out, std::int64_t count);

private:
    sf_private_tag *m_file = nullptr;
    int m_sampleRate = 0;
    int m_channels = 0;
    std::int64_t m_frames = 0;
    QString m_error;
};

}  // namespace string_device
