// Writes the completion sound: a soft two-note bell chime, 16-bit mono WAV.
// Built and run at build time, so the sound ships from this source.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int SampleRate = 44100;
constexpr double Pi = 3.14159265358979323846;

// A bell-like tone: a fundamental with slightly inharmonic partials, each
// decaying at its own rate, and a short attack so it does not click.
void addBell(std::vector<double> &out, double startSeconds, double frequency, double gain)
{
    const struct { double ratio, level, decay; } partials[] = {
        {1.0, 1.0, 2.6}, {2.0, 0.45, 3.8}, {2.76, 0.25, 5.0}, {5.4, 0.08, 7.0}};
    const auto start = static_cast<std::size_t>(startSeconds * SampleRate);
    for (std::size_t i = start; i < out.size(); ++i) {
        const double t = double(i - start) / SampleRate;
        const double attack = std::min(1.0, t / 0.006);
        double v = 0.0;
        for (const auto &p : partials)
            v += p.level * std::exp(-p.decay * t) * std::sin(2.0 * Pi * frequency * p.ratio * t);
        out[i] += gain * attack * v;
    }
}

void writeLittleEndian(std::FILE *f, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        std::fputc(int((value >> (8 * i)) & 0xFF), f);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_chime OUTPUT.wav\n");
        return 2;
    }
    std::vector<double> samples(std::size_t(SampleRate * 1.4), 0.0);
    addBell(samples, 0.00, 880.0, 0.32);   // A5
    addBell(samples, 0.16, 1318.5, 0.26);  // E6
    // fade the tail out so the sound ends in silence
    const std::size_t fade = SampleRate / 5;
    for (std::size_t i = 0; i < fade; ++i)
        samples[samples.size() - fade + i] *= 1.0 - double(i) / fade;

    std::FILE *f = std::fopen(argv[1], "wb");
    if (!f) {
        std::perror(argv[1]);
        return 1;
    }
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    writeLittleEndian(f, 36 + dataBytes, 4);
    std::fwrite("WAVEfmt ", 1, 8, f);
    writeLittleEndian(f, 16, 4);
    writeLittleEndian(f, 1, 2);               // PCM
    writeLittleEndian(f, 1, 2);               // mono
    writeLittleEndian(f, SampleRate, 4);
    writeLittleEndian(f, SampleRate * 2, 4);  // bytes per second
    writeLittleEndian(f, 2, 2);               // block align
    writeLittleEndian(f, 16, 2);              // bits per sample
    std::fwrite("data", 1, 4, f);
    writeLittleEndian(f, dataBytes, 4);
    for (double s : samples) {
        const long v = std::lround(std::max(-1.0, std::min(1.0, s)) * 32767.0);
        writeLittleEndian(f, std::uint32_t(std::int16_t(v)) & 0xFFFF, 2);
    }
    const bool ok = std::fclose(f) == 0;
    return ok ? 0 : 1;
}
