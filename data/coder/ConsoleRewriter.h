#pragma once

#include <string>
#include <string_view>

namespace coder {

// Rewrites every progress time "time=HH:MM:SS.xx" of one console line into
// plain seconds "time=12.34"; times that are not in that form (N/A, already
// plain) stay as they are. Everything else of the line is kept byte for byte.
std::string rewriteProgressTimes(std::string_view line);

// How many leading bytes of text can be handed on without cutting a progress
// time in two: everything before a last "time=" that the following bytes may
// still complete, or before a trailing start of the marker ("t" ... "time").
std::size_t wholeTokenPrefix(std::string_view text);

// True for ffmpeg's ways of saying that the encoder it needs is not built in.
bool reportsMissingEncoder(std::string_view line);

// The line added after ffmpeg's own complaint about a missing encoder.
extern const char *const MissingEncoderNote;

// ffmpeg's merged console stream on its way through the adapter. Output is
// handed on line by line (a line ends with \n or, for progress lines, \r), so a
// time token is never cut in two by the pipe. An unfinished line is handed on
// early when it grows past 64 KiB or the pipe goes quiet, but only up to
// wholeTokenPrefix: a progress time that may be incomplete stays pending.
class ConsoleRewriter {
public:
    // Takes the next bytes as read; returns what can be written now.
    std::string feed(std::string_view bytes);
    // The unfinished line, for the end of the stream (atEnd: all of it) or a
    // quiet pipe (the part before a progress time that may still be incomplete).
    std::string flushPending(bool atEnd);
    bool hasPending() const { return !pending_.empty(); }
    bool sawMissingEncoder() const { return missingEncoder_; }

private:
    std::string finishLine(std::string_view line);
    // Rewrites and hands on the first length bytes of pending_.
    std::string finishPrefix(std::size_t length);

    std::string pending_;
    bool missingEncoder_ = false;
};

}  // namespace coder
