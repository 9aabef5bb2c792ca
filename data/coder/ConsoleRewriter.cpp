#include "ConsoleRewriter.h"

#include <optional>

namespace coder {

const char *const MissingEncoderNote =
    "coder: this ffmpeg has no encoder for the requested format; install the "
    "libavcodec-extra package (it carries the AMR-NB encoder libopencore_amrnb) "
    "or set BRINDLEWAVE_FFMPEG to an ffmpeg built with that encoder\n";

namespace {

constexpr std::size_t MaxPendingBytes = 64 * 1024;
// No progress time ffmpeg writes comes near this; a longer run of clock
// characters after "time=" is let through so that nothing waits forever.
constexpr std::size_t LongestClockTime = 64;
constexpr std::string_view TimeMarker = "time=";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits starting at pos.
std::size_t digitsAt(std::string_view text, std::size_t pos)
{
    std::size_t n = 0;
    while (pos + n < text.size() && isDigit(text[pos + n]))
        ++n;
    return n;
}

struct ClockTime {
    std::size_t length;   // characters the clock form takes in the line
    std::string seconds;  // the same time as plain seconds
};

// Reads [-]H+:MM:SS[.fff] at pos. The fraction is copied digit for digit so
// the seconds say exactly what ffmpeg said, with no binary rounding.
std::optional<ClockTime> readClockTime(std::string_view text, std::size_t pos)
{
    const std::size_t start = pos;
    bool negative = false;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    const std::size_t hourDigits = digitsAt(text, pos);
    if (hourDigits == 0 || hourDigits > 9)
        return std::nullopt;
    long long hours = std::stoll(std::string(text.substr(pos, hourDigits)));
    pos += hourDigits;

    long long minutesAndSeconds[2] = {0, 0};
    for (long long &field : minutesAndSeconds) {
        if (pos >= text.size() || text[pos] != ':' || digitsAt(text, pos + 1) != 2)
            return std::nullopt;
        field = (text[pos + 1] - '0') * 10 + (text[pos + 2] - '0');
        pos += 3;
    }

    std::string fraction;
    if (pos < text.size() && text[pos] == '.' && digitsAt(text, pos + 1) > 0) {
        const std::size_t fractionDigits = digitsAt(text, pos + 1);
        fraction = std::string(text.substr(pos, fractionDigits + 1));
        pos += fractionDigits + 1;
    }

    const long long whole = hours * 3600 + minutesAndSeconds[0] * 60 + minutesAndSeconds[1];
    std::string seconds = negative ? "-" : "";
    seconds += std::to_string(whole) + fraction;
    return ClockTime{pos - start, seconds};
}

bool isClockCharacter(char c) { return isDigit(c) || c == ':' || c == '.' || c == '-'; }

}  // namespace

std::size_t wholeTokenPrefix(std::string_view text)
{
    // The last marker, when only clock characters follow it, may be a time
    // that the next bytes complete (or a fraction they extend).
    const std::size_t last = text.rfind(TimeMarker);
    if (last != std::string_view::npos) {
        const std::string_view after = text.substr(last + TimeMarker.size());
        bool open = after.size() <= LongestClockTime;
        for (std::size_t i = 0; open && i < after.size(); ++i)
            open = isClockCharacter(after[i]);
        if (open)
            return last;
    }
    // The text may end in the first characters of the next marker.
    for (std::size_t n = TimeMarker.size() - 1; n > 0; --n) {
        if (text.size() >= n && text.substr(text.size() - n) == TimeMarker.substr(0, n))
            return text.size() - n;
    }
    return text.size();
}

std::string rewriteProgressTimes(std::string_view line)
{
    std::string result;
    result.reserve(line.size());
    std::size_t copied = 0;
    std::size_t found = line.find(TimeMarker);
    while (found != std::string_view::npos) {
        const std::size_t tokenStart = found + TimeMarker.size();
        if (const auto clock = readClockTime(line, tokenStart)) {
            result.append(line.substr(copied, tokenStart - copied));
            result.append(clock->seconds);
            copied = tokenStart + clock->length;
        }
        found = line.find(TimeMarker, tokenStart);
    }
    result.append(line.substr(copied));
    return result;
}

bool reportsMissingEncoder(std::string_view line)
{
    return line.find("Unknown encoder") != std::string_view::npos
        || (line.find("Default encoder for format") != std::string_view::npos
            && line.find("is probably disabled") != std::string_view::npos)
        || line.find("Automatic encoder selection failed") != std::string_view::npos;
}

std::string ConsoleRewriter::finishLine(std::string_view line)
{
    std::string out = rewriteProgressTimes(line);
    if (!missingEncoder_ && reportsMissingEncoder(line)) {
        missingEncoder_ = true;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += '\n';
        out += MissingEncoderNote;
    }
    return out;
}

std::string ConsoleRewriter::feed(std::string_view bytes)
{
    std::string out;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const std::string_view tail = bytes.substr(lineStart, i + 1 - lineStart);
        if (pending_.empty()) {
            out += finishLine(tail);
        } else {
            pending_.append(tail);
            out += finishLine(pending_);
            pending_.clear();
        }
        lineStart = i + 1;
    }
    pending_.append(bytes.substr(lineStart));
    // A stream that never ends a line must still get through.
    if (pending_.size() > MaxPendingBytes)
        out += finishPrefix(wholeTokenPrefix(pending_));
    return out;
}

std::string ConsoleRewriter::flushPending(bool atEnd)
{
    return finishPrefix(atEnd ? pending_.size() : wholeTokenPrefix(pending_));
}

std::string ConsoleRewriter::finishPrefix(std::size_t length)
{
    if (length == 0)
        return {};
    std::string out = finishLine(std::string_view(pending_).substr(0, length));
    pending_.erase(0, length);
    return out;
}

}  // namespace coder
