#include "compose/CardText.h"

#include "common/TextHelpers.h"
#include "common/cp932.h"
#include "common/numbers.h"

QString ToFullWidth(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c > 0xFF || c < 0x20 || c == 0x7F) {
            out += ch;
            continue;
        }
        if (c >= 0x80) {
            // Latin-1 range: through the code page like the byte it becomes, except letters
            // and characters without a code, which stay as they are (José, not Jos?).
            const QByteArray b = cp932::fromUnicode(QString(ch));
            if (ch.isLetter() || b == "?")
                out += ch;
            else if (b.size() == 1 && quint8(b[0]) < 0x80 && quint8(b[0]) >= 0x20)
                out += ToFullWidth(QString(QChar(b[0])));
            else
                out += cp932::toUnicode(b);
            continue;
        }
        switch (c) {
        case 0x20:
            out += QChar(0x3000);
            break;
        case 0x22:
            out += QChar(0x201D);
            break;
        case 0x27:
            out += QChar(0x2019);
            break;
        case 0x60:
            out += QChar(0x2018);
            break;
        case 0x5C:
            out += QChar(0xFFE5);
            break;
        case 0x7E:
            out += QChar(0xFFE3);
            break;
        default:
            out += QChar(char16_t(c + 0xFEE0));
            break;
        }
    }
    return out;
}

namespace {

// Half-width katakana U+FF61..U+FF9F in their full-width forms; a following voiced or
// semi-voiced mark joins its letter where the pair has one character (ｶﾞ -> ガ).
QString fullWidthKatakana(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0xFF61 || c > 0xFF9F) {
            out += text[i];
            continue;
        }
        if (c == 0xFF9E || c == 0xFF9F) { // a mark alone: ゛ or ゜
            out += QChar(c == 0xFF9E ? 0x309B : 0x309C);
            continue;
        }
        const QString letter = QString(text[i]).normalized(QString::NormalizationForm_KC);
        if (i + 1 < text.size() && (text[i + 1] == QChar(0xFF9E) || text[i + 1] == QChar(0xFF9F))) {
            const QChar mark(text[i + 1] == QChar(0xFF9E) ? 0x3099 : 0x309A);
            const QString joined = (letter + mark).normalized(QString::NormalizationForm_C);
            if (joined.size() == 1) {
                out += joined;
                ++i;
                continue;
            }
        }
        out += letter;
    }
    return out;
}

} // namespace

QString ToVerticalText(const QString& text, bool useNonUnicodeFont)
{
    if (text.isEmpty())
        return text;
    static const QString kanji = QString::fromUtf8("〇一二三四五六七八九");
    QString out = fullWidthKatakana(ToFullWidth(text));
    for (QChar& ch : out) {
        const char16_t c = ch.unicode();
        if (c >= 0xFF10 && c <= 0xFF19)
            ch = kanji[c - 0xFF10];
        // The minus sign and the hyphens read as "－" would: a line along the column.
        else if (c == 0xFF0D || c == 0x2212 || (c >= 0x2010 && c <= 0x2013))
            ch = QChar(useNonUnicodeFont ? 0x2500 : 0x2758);
    }
    return out;
}

QString SpreadDigits(const QString& part, double fontSize, const TextMeasure& measure)
{
    if (part.isEmpty())
        return part;
    QString spaced;
    for (QChar ch : part) {
        spaced += ch == QChar(0x3000) ? QChar(u' ') : ch;
        spaced += u' ';
    }
    // remove characters up to U+0020 at both ends
    qsizetype b = 0;
    qsizetype e = spaced.size();
    while (b < e && spaced[b].unicode() <= 0x20)
        ++b;
    while (e > b && spaced[e - 1].unicode() <= 0x20)
        --e;
    spaced = spaced.mid(b, e - b);

    const int reference = measure.widthPx(ReferenceText);
    if (reference == StandardReferenceWidth)
        return spaced;
    const double scale = measure.fontPointSize > 0 ? fontSize / measure.fontPointSize : 1.0;
    const int px = numbers::roundHalfAway(measure.widthPx(spaced) * scale);
    const int dpi = measure.dpi > 0 ? measure.dpi : 96;
    const int tenthMm = qMax(1, numbers::roundHalfAway(double(px) / dpi * 254.0));
    if (tenthMm > reference - 80)
        return part;
    return spaced.replace(QStringLiteral("  "), QStringLiteral(" "));
}

PostalCodeParts SplitPostalCode(const QString& code, bool boxes, bool joinByHyphen, double fontSize,
                                const TextMeasure& measure)
{
    // As people type codes: a "〒" in front and blanks or a line break around the code would
    // land in the first part and push it into the second; full-width digits and whatever was
    // typed for the hyphen are read as ASCII, so the code splits between characters.
    QStringView typed(code);
    const auto blank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x3000; };
    while (!typed.isEmpty() && blank(typed.back()))
        typed.chop(1);
    while (!typed.isEmpty() && (blank(typed.front()) || typed.front() == QChar(0x3012)))
        typed = typed.mid(1);
    QString ascii = typed.toString();
    for (QChar& ch : ascii) {
        if (ch.unicode() >= 0xFF10 && ch.unicode() <= 0xFF19)
            ch = QChar(char16_t(ch.unicode() - 0xFEE0));
        else if (IsHyphenLookAlike(ch))
            ch = u'-';
    }
    const QByteArray bytes = cp932::fromUnicode(ascii);
    PostalCodeParts parts;
    const qsizetype hyphen = bytes.indexOf('-');
    if (hyphen >= 0) {
        parts.part1 = cp932::toUnicode(bytes.left(hyphen));
        parts.part2 = cp932::toUnicode(bytes.mid(hyphen + 1));
    } else if (bytes.size() <= 3) {
        parts.part1 = cp932::toUnicode(bytes);
        return parts;
    } else {
        parts.part1 = cp932::toUnicode(bytes.left(3));
        parts.part2 = cp932::toUnicode(bytes.mid(3));
    }
    if (boxes) {
        parts.part1 = SpreadDigits(parts.part1, fontSize, measure);
        parts.part2 = SpreadDigits(parts.part2, fontSize, measure);
    } else if (joinByHyphen && !parts.part1.isEmpty()) {
        parts.part1 += u'-';
    }
    return parts;
}

bool ZipInBoxes(const SessionOptions& options, LayoutKind kind)
{
    return options.zipInBoxes[size_t(kind)];
}
