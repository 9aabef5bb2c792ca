#include "pipeline/BoundedText.h"

namespace {

// Where the last limit units of text begin, moved past a lone second half of
// a character.
qsizetype endStart(QStringView text, qsizetype limit)
{
    if (text.size() <= limit)
        return 0;
    qsizetype start = text.size() - limit;
    if (text[start].isLowSurrogate())
        ++start;
    return start;
}

}  // namespace

void BoundedText::append(QStringView piece)
{
    if (!m_dropped && m_tail.isEmpty() && m_head.size() < HeadLimit) {
        qsizetype take = qMin(HeadLimit - m_head.size(), piece.size());
        if (take < piece.size() && take > 0 && piece[take - 1].isHighSurrogate())
            --take;
        m_head += piece.left(take);
        piece = piece.mid(take);
    }
    m_tail += piece;
    if (m_tail.size() > 2 * TailLimit) {
        m_tail.remove(0, endStart(m_tail, TailLimit));
        m_dropped = true;
    }
}

QString BoundedText::text() const
{
    if (!wasCut())
        return m_head + m_tail;
    QString joined = m_head;
    if (!joined.endsWith(u'\n') && !joined.endsWith(u'\r'))
        joined += u'\n';
    joined += QStringLiteral("…\n");
    joined += QStringView(m_tail).mid(endStart(m_tail, TailLimit));
    return joined;
}

bool BoundedText::wasCut() const { return m_dropped || m_tail.size() > TailLimit; }

void BoundedText::clear()
{
    m_head.clear();
    m_tail.clear();
    m_dropped = false;
}
