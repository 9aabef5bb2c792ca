#include "pipeline/LineAssembler.h"

QStringList LineAssembler::feed(QStringView piece)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        if (piece[i] != u'\r' && piece[i] != u'\n')
            continue;
        m_pending += piece.mid(start, i - start);
        if (!m_pending.isEmpty())
            lines.append(m_pending);
        m_pending.clear();
        start = i + 1;
    }
    m_pending += piece.mid(start);
    return lines;
}

QString LineAssembler::takeRest()
{
    QString rest;
    rest.swap(m_pending);
    return rest;
}
