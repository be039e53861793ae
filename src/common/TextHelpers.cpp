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

bool IsHyphenLookAlike(QChar c)
{
    switch (c.unicode()) {
    case u'-':
    case 0x2010: // ‐
    case 0x2011:
    case 0x2012:
    case 0x2013: // –
    case 0x2014: // —
    case 0x2015: // ―
    case 0x2212: // −
    case 0xFF0D: // －
    case 0x30FC: // ー
    case 0xFF70: // ｰ
        return true;
    default:
        return false;
    }
}

QString PostalCodeDigits(QStringView text)
{
    QString digits;
    bool hyphen = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digits += c;
        else if (u >= 0xFF10 && u <= 0xFF19)
            digits += QChar(char16_t(u - 0xFF10 + u'0'));
        else if (IsHyphenLookAlike(c)) {
            if (digits.size() != 3 || hyphen)
                return {};
            hyphen = true;
        } else if (!(u <= 0x20 || u == 0x3000 || u == 0x3012 /* 〒 */)) {
            return {};
        }
    }
    return digits.size() == 7 ? digits : QString();
}

namespace {

// What a postal-code cell may hold around and between its digits.
bool isPostalCodeFiller(QChar c)
{
    return c.unicode() <= 0x20 || c.unicode() == 0x3000 || c.unicode() == 0x3012 /* 〒 */;
}

bool isDigitOfEitherWidth(QChar c)
{
    return (c.unicode() >= u'0' && c.unicode() <= u'9') ||
           (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19);
}

} // namespace

QString RestoredPostalCode(QStringView text)
{
    QString digits;
    for (QChar c : text) {
        if (isDigitOfEitherWidth(c))
            digits +=
                QChar(char16_t(c.unicode() >= 0xFF10 ? c.unicode() - 0xFF10 + u'0' : c.unicode()));
        else if (!isPostalCodeFiller(c))
            return {};
    }
    if (digits.size() != 6)
        return {};
    return u'0' + digits.left(2) + u'-' + digits.mid(2);
}

bool IsNotPostalCode(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() > 0x7E && !isDigitOfEitherWidth(c) && !IsHyphenLookAlike(c) &&
            !isPostalCodeFiller(c))
            return true;
    return false;
}
