#pragma once

#include <cstdint>
#include <optional>

// A stretch of the open file in milliseconds from its start: [startMs, endMs),
// the end exclusive. A plain value; the editor model checks it against the
// open file before it takes it.
struct Selection {
    std::int64_t startMs = 0;
    std::int64_t endMs = 0;

    std::int64_t lengthMs() const { return endMs - startMs; }
    double seconds() const { return static_cast<double>(lengthMs()) / 1000.0; }

    bool operator==(const Selection &) const = default;
};

// Where the user has put the two marks. The start is always somewhere (the
// file's start until it is moved); the end exists once it has been set.
// Within an open file 0 <= startMs <= *endMs <= length; marks that stand on
// one millisecond are an empty selection, which nothing saves.
struct Marks {
    std::int64_t startMs = 0;
    std::optional<std::int64_t> endMs;

    bool hasEnd() const { return endMs.has_value(); }
    // The stretch between the marks once the end is set.
    std::optional<Selection> selection() const
    {
        if (!endMs)
            return std::nullopt;
        return Selection{startMs, *endMs};
    }
    std::int64_t lengthMs() const { return endMs ? *endMs - startMs : 0; }
    double seconds() const { return static_cast<double>(lengthMs()) / 1000.0; }

    bool operator==(const Marks &) const = default;
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
