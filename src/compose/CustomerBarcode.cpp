#include "compose/CustomerBarcode.h"

#include "common/TextHelpers.h"
#include "common/cp932.h"

namespace {

constexpr char SymbolSet[] = "0123456789-ABCDEFGH";
constexpr int SymbolCount = 19;
constexpr qsizetype DataLength = 20;

int symbolValue(char c)
{
    for (int i = 0; i < SymbolCount; ++i) {
        if (SymbolSet[i] == c)
            return i;
    }
    return -1;
}

} // namespace

QByteArray CustomerBarcodeBytes(QByteArrayView data)
{
    if (data.isEmpty())
        return {};

    QByteArray body;
    body.reserve(data.size() * 2);
    for (const char c : data) {
        if (c >= 'A' && c <= 'Z') {
            const int v = c - 'A';
            body += char('A' + v / 10); // CC1, CC2 or CC3
            body += char('0' + v % 10);
        } else {
            body += c;
        }
    }
    // A letter pair may be split here; the control code alone stays, as Japan Post prescribes.
    if (body.size() > DataLength)
        body.truncate(DataLength);
    while (body.size() < DataLength)
        body += 'D'; // CC4

    int sum = 0;
    for (const char c : std::as_const(body))
        sum += symbolValue(c);
    // Unknown bytes count -1, so the sum may be negative: keep the remainder non-negative.
    const int remainder = ((sum % SymbolCount) + SymbolCount) % SymbolCount;
    const int check = (SymbolCount - remainder) % SymbolCount;

    return '(' + body + SymbolSet[check] + ')';
}

QString CustomerBarcode(QStringView data)
{
    // Data typed in full width (「１２３－４」) means the same digits, letters and hyphens; as
    // double-byte characters they would be cut in halves by the byte rule.
    QString ascii = data.toString();
    for (QChar& ch : ascii) {
        if (ch.unicode() >= 0xFF01 && ch.unicode() <= 0xFF5E)
            ch = QChar(char16_t(ch.unicode() - 0xFEE0));
        else if (ch.unicode() == 0x2212)
            ch = u'-';
    }
    return cp932::toUnicode(CustomerBarcodeBytes(cp932::fromUnicode(ascii)));
}

QString BarcodeDataPostalCode(QStringView data)
{
    QStringView rest = data.trimmed();
    if (rest.startsWith(u'('))
        rest = rest.mid(1);
    QString digits;
    bool hyphen = false;
    for (QChar c : rest) {
        if (digits.size() == 7)
            break;
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            digits += c;
        else if (u >= 0xFF10 && u <= 0xFF19)
            digits += QChar(char16_t(u - 0xFF10 + u'0'));
        else if (digits.size() == 3 && !hyphen && IsHyphenLookAlike(c))
            hyphen = true;
        else
            return {};
    }
    return digits.size() == 7 ? digits : QString();
}
