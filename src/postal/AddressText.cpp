#include "postal/AddressText.h"

#include "common/TextHelpers.h"

namespace AddressText {

bool isBlank(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0x20 && c.unicode() != 0x3000)
            return false;
    }
    return true;
}

std::optional<quint32> parsePostalCode(QStringView text)
{
    const QString digits = PostalCodeDigits(text);
    if (digits.isEmpty())
        return std::nullopt;
    return digits.toUInt();
}

QString formatPostalCode(quint32 code)
{
    const QString s = QString::asprintf("%07u", code);
    return s.left(3) + u'-' + s.mid(3);
}

namespace {
int kanjiDigit(QChar c)
{
    switch (c.unicode()) {
    case u'〇':
        return 0;
    case u'一':
    case u'壱':
        return 1;
    case u'二':
    case u'弐':
        return 2;
    case u'三':
    case u'参':
        return 3;
    case u'四':
        return 4;
    case u'五':
        return 5;
    case u'六':
        return 6;
    case u'七':
        return 7;
    case u'八':
        return 8;
    case u'九':
        return 9;
    default:
        return -1;
    }
}
int kanjiMultiplier(QChar c)
{
    switch (c.unicode()) {
    case u'十':
    case u'拾':
        return 10;
    case u'百':
        return 100;
    case u'千':
        return 1000;
    default:
        return 0;
    }
}
} // namespace

bool isKanjiNumeral(QChar c)
{
    return kanjiDigit(c) >= 0 || kanjiMultiplier(c) > 0;
}

std::optional<qint64> kanjiNumber(QStringView run)
{
    if (run.isEmpty() || run.size() > 12)
        return std::nullopt;
    bool positional = false;
    for (QChar c : run) {
        if (!isKanjiNumeral(c))
            return std::nullopt;
        positional = positional || kanjiMultiplier(c) > 0;
    }
    qint64 value = 0;
    if (!positional) {
        for (QChar c : run)
            value = value * 10 + kanjiDigit(c);
        return value;
    }
    // 十/百/千 take the digits before them ("三百" = 300, "百" = 100); a multiplier that is not
    // smaller than the one before it ("十百") is no number.
    qint64 pending = -1;
    int lastMultiplier = 10000;
    for (QChar c : run) {
        const int m = kanjiMultiplier(c);
        if (m == 0) {
            if (pending >= 0)
                return std::nullopt; // two digits in a row inside a positional number
            pending = kanjiDigit(c);
            continue;
        }
        if (m >= lastMultiplier)
            return std::nullopt;
        value += (pending < 0 ? 1 : pending) * m;
        pending = -1;
        lastMultiplier = m;
    }
    if (pending >= 0)
        value += pending;
    return value;
}

QString narrowWidth(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (IsHyphenLookAlike(c)) {
            out += u'-';
        } else if (u >= 0xFF01 && u <= 0xFF5E) {
            out += QChar(u - 0xFEE0);
        } else if (u == 0x3000) {
            out += u' ';
        } else if (u >= 0xFF61 && u <= 0xFF9F) {
            // Half-width katakana, with a following voiced mark folded in.
            QString pair(c);
            if (i + 1 < text.size() &&
                (text[i + 1].unicode() == 0xFF9E || text[i + 1].unicode() == 0xFF9F))
                pair += text[++i];
            out += pair.normalized(QString::NormalizationForm_KC);
        } else {
            out += c;
        }
    }
    return out;
}

Comparable comparable(QStringView input)
{
    Comparable r;
    // Width narrowing keeps one output character per input character except for the
    // half-width voiced pairs, so map through it character by character.
    for (qsizetype i = 0; i < input.size(); ++i) {
        qsizetype len = 1;
        if (i + 1 < input.size() && input[i].unicode() >= 0xFF61 && input[i].unicode() <= 0xFF9F &&
            (input[i + 1].unicode() == 0xFF9E || input[i + 1].unicode() == 0xFF9F))
            len = 2;
        const QString n = narrowWidth(input.mid(i, len));
        for (QChar c : n) {
            char16_t u = c.unicode();
            if (u <= 0x20)
                continue;
            if (u >= u'a' && u <= u'z')
                u -= 0x20;
            else if (u == u'ヶ' || u == u'ヵ' || u == u'が' || u == u'ケ')
                u = u'ケ';
            else if (u == u'の')
                u = u'ノ';
            r.text += QChar(u);
            r.origin.append(int(i));
        }
        i += len - 1;
    }
    // Kanji numeral runs as digits, so 「南四条西」 and 「南4条西」 compare equal.
    Comparable out;
    for (qsizetype i = 0; i < r.text.size();) {
        qsizetype j = i;
        while (j < r.text.size() && isKanjiNumeral(r.text[j]))
            ++j;
        if (j > i) {
            if (const auto v = kanjiNumber(QStringView(r.text).mid(i, j - i))) {
                const QString digits = QString::number(*v);
                out.text += digits;
                for (qsizetype k = 0; k < digits.size(); ++k)
                    out.origin.append(r.origin[i]);
            } else {
                out.text += r.text.mid(i, j - i);
                out.origin.append(r.origin.mid(i, j - i));
            }
            i = j;
        } else {
            out.text += r.text[i];
            out.origin.append(r.origin[i]);
            ++i;
        }
    }
    out.origin.append(int(input.size()));
    return out;
}

QString comparableText(QStringView text)
{
    return comparable(text).text;
}

} // namespace AddressText
