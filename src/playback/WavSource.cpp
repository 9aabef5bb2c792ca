#include "playback/WavSource.h"

#include <QFile>

#include <sndfile.h>

namespace string_device {

WavSource::~WavSource()
{
    close();
}

bool WavSource::open(const QString &path)
{
    close();
    m_error.clear();
    SF_INFO info{};
    const QByteArray name = QFile::encodeName(path);
    SNDFILE *file = sf_open(name.constData(), SFM_READ, &info);
    if (!file) {
        m_error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return false;
    }
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames < 0) {
        m_error = QStringLiteral("no usable audio format");
        sf_close(file);
        return false;
    }
    m_file = file;
    m_sampleRate = info.samplerate;
    m_channels = info.channels;
    m_frames = info.frames;
    return true;
}

void WavSource::close()
{
    if (m_file)
        sf_close(m_file);
    m_file = nullptr;
    m_sampleRate = 0;
    m_channels = 0;
    m_frames = 0;
}

bool WavSource::seek(std::int64_t frame)
{
    if (!m_file)
        return false;
    if (sf_seek(m_file, frame, SEEK_SET) < 0) {
        m_error = QString::fromLocal8Bit(sf_strerror(m_file));
        return false;
    }
    return true;
}

std::int64_t WavSource::read(float *out, std::int64_t count)
{
    if (!m_file || count <= 0)
        return 0;
    const sf_count_t got = sf_readf_float(m_file, out, count);
    if (got < count && sf_error(m_file) != SF_ERR_NO_ERROR)
        m_error = QString::fromLocal8Bit(sf_strerror(m_file));
    return got;
}

}  // namespace string_device
