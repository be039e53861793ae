#include "common/TextHelpers.h"

#include "common/cp932.h"

QString StripQuotes(const QString& text)
{
    QString s = text;
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"'))
        s = s.mid(1, s.size() - 2);
    if (s.size() >= 2 && s.startsWith(u'\'') && s.endsWith(u'\''))
        s = s.mid(1, s.size() - 2);
    return s;
}

bool IsBlankText(const QString& text)
{
    for (char c : cp932::fromUnicode(text))
        if (quint8(c) > 0x20)
            return false;
    return true;
}

QString TrimBlanks(const QString& text)
{
    if (IsBlankText(text))
        return QString();
    auto isTrimmed = [](QChar c) { return c == u' ' || c == QChar(0x3000) || c == u'\t'; };
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isTrimmed(text[b]))
        ++b;
    if (b == e)
        return text;
    while (e > b && isTrimmed(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}
