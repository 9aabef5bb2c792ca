#pragma once

#include <cstdint>

// The stretch of the open file the user has chosen, in milliseconds from the
// start of the file: [startMs, endMs). An end of 0 means that no end has been
// set yet; once one is, startMs <= endMs.
struct Selection {
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;

    bool hasEnd() const { return endMs != 0; }
    bool isUnset() const { return startMs == 0 && endMs == 0; }
    std::int64_t lengthMs() const { return endMs - startMs; }
    double seconds() const { return static_cast<double>(lengthMs()) / 1000.0; }

    bool operator==(const Selection &) const = default;
};

// The stretch of the file the time line shows, in milliseconds: its left end
// stands for startMs and its right end for endMs. The whole file when nothing
// is zoomed; empty while nothing is open.
struct VisibleSpan {
    double startMs = 0.0;
    double endMs = 0.0;

    double lengthMs() const { return endMs - startMs; }
    bool operator==(const VisibleSpan &) const = default;
};
