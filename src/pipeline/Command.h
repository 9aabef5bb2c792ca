#pragma once

#include <QString>
#include <QStringList>

// One program with its arguments, handed to the operating system as a list and
// never through a shell, so blanks, quotes and colons in paths need no escaping.
struct Command {
    QString program;
    QStringList arguments;
    // Descriptors of this process the child inherits under the same numbers
    // (an output file it reaches as /proc/self/fd/N).
    QList<int> passedFds = {};

    bool isEmpty() const { return program.isEmpty(); }

    // Program and arguments joined by single blanks, an argument holding a blank
    // (or an empty one) in double quotes. For comparison, logs and tests only:
    // quotes inside an argument are not escaped, so the text is not for parsing.
    QString text() const;

    bool operator==(const Command &other) const = default;
};
