#include "typeset/TextUnits.h"

#include <algorithm>

TextUnits::TextUnits(QString text) : m_text(std::move(text))
{
    m_starts.reserve(m_text.size());
    for (qsizetype i = 0; i < m_text.size(); ++i) {
        m_starts.append(i);
        if (m_text[i].isHighSurrogate() && i + 1 < m_text.size() && m_text[i + 1].isLowSurrogate())
            ++i;
    }
}

QStringView TextUnits::at(int i) const
{
    const qsizetype start = m_starts.at(i);
    const qsizetype end = i + 1 < count() ? m_starts.at(i + 1) : m_text.size();
    return QStringView(m_text).mid(start, end - start);
}

int TextUnits::unitAt(qsizetype pos) const
{
    if (pos >= m_text.size())
        return count();
    if (pos <= 0)
        return 0;
    const auto it = std::upper_bound(m_starts.cbegin(), m_starts.cend(), pos);
    return int(it - m_starts.cbegin()) - 1;
}

bool TextUnits::isHalfWidth(QStringView unit)
{
    const char32_t c = codePoint(unit);
    return c < 0x100 || (c >= 0xFF61 && c <= 0xFF9F);
}

char32_t TextUnits::codePoint(QStringView unit)
{
    if (unit.isEmpty())
        return 0xFFFD;
    const QChar first = unit.front();
    if (unit.size() >= 2 && first.isHighSurrogate() && unit[1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, unit[1]);
    return first.isSurrogate() ? 0xFFFD : first.unicode();
}
