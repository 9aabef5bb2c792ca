#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Joins the pieces of a child's console output into whole lines before anyone
// reads them: a pipe hands over whatever has been written, so a line can be
// split across two pieces and one piece can hold many lines. A line ends at a
// carriage return (ffmpeg's progress lines) or a line feed.
class LineAssembler {
public:
    // The lines this piece completes, without their ends; empty lines are
    // left out. What follows the last line end waits for the next piece.
    QStringList feed(QStringView piece);
    // The unfinished last line, once the output has ended; empty when none.
    QString takeRest();
    void reset() { m_pending.clear(); }

private:
    QString m_pending;
};
