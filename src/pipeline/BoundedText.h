#pragma once

#include <QString>

// What a child wrote, kept within a fixed size however much it writes: the
// start (where ffmpeg describes its input, e.g. its "Duration:" line) and the
// end (the lines that say why it stopped). When something in between had to
// be dropped, text() joins the two with a line "…". Sizes count UTF-16 code
// units; a character is never split in two.
class BoundedText {
public:
    static constexpr qsizetype HeadLimit = 16 * 1024;
    static constexpr qsizetype TailLimit = 64 * 1024;

    void append(QStringView piece);
    QString text() const;
    // Whether anything between the start and the end was dropped.
    bool wasCut() const;
    void clear();

private:
    QString m_head;
    // Grows to twice its limit before it is trimmed, so that appending costs
    // no more than copying the text once.
    QString m_tail;
    bool m_dropped = false;
};
