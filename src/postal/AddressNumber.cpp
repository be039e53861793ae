#include "postal/AddressNumber.h"

#include "addresslist/AddressRecord.h"
#include "postal/AddressMatch.h"
#include "postal/AddressText.h"
#include "postal/PostalIndex.h"

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isLetter(QChar c)
{
    return c.unicode() >= u'A' && c.unicode() <= u'Z';
}

// The words after which a kanji numeral counts as a number, longest first so that 「丁目」
// wins over 「丁」 and 「番地」 over 「番」.
constexpr QStringView Markers[] = {u"丁目", u"番地", u"地割", u"丁", u"番",
                                   u"号",   u"線",   u"の",   u"ノ"};

bool markerAt(QStringView text, qsizetype pos)
{
    for (QStringView m : Markers) {
        if (text.mid(pos).startsWith(m))
            return true;
    }
    return false;
}

// Kanji numerals directly before a marker word become Arabic digits; any other kanji
// numeral stays and is discarded later.
QString convertNumerals(QStringView text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i;
        while (j < text.size() && AddressText::isKanjiNumeral(text[j]))
            ++j;
        if (j == i) {
            out += text[i++];
            continue;
        }
        const std::optional<qint64> value = AddressText::kanjiNumber(text.mid(i, j - i));
        if (value && markerAt(text, j))
            out += QString::number(*value);
        else
            out += text.mid(i, j - i);
        i = j;
    }
    return out;
}

// The box number after 「私書箱」: the first run of digits that follows it.
QString boxNumber(QStringView address)
{
    const QString text = AddressText::narrowWidth(address);
    qsizetype i = text.lastIndexOf(u"私書箱");
    if (i < 0)
        return QString();
    i += 3;
    while (i < text.size() && !isDigit(text[i]))
        ++i;
    QString digits;
    while (i < text.size() && isDigit(text[i]) && digits.size() < 4)
        digits += text[i++];
    return digits;
}

} // namespace

QString AddressNumber::fromAddressPart(QStringView part)
{
    // Widths and dash look-alikes first, then upper case, then the four deleted symbols.
    QString text;
    for (QChar c : AddressText::narrowWidth(part)) {
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(c.unicode() - 0x20);
        if (c == u'&' || c == u'/' || c == u'・' || c == u'.' || c == QChar(0xFF65))
            continue;
        text += c;
    }
    text = convertNumerals(text);

    // Kept: digits, hyphens, letters standing alone; an "F" right after a digit is a floor
    // mark and is dropped like a word. Each stretch of dropped material before a kept
    // character becomes one hyphen; dropped material at the end disappears.
    QString out;
    bool pending = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        bool kept = isDigit(c) || c == u'-';
        if (isLetter(c)) {
            const bool alone = (i == 0 || !isLetter(text[i - 1])) &&
                               (i + 1 == text.size() || !isLetter(text[i + 1]));
            const bool floor = c == u'F' && i > 0 && isDigit(text[i - 1]);
            kept = alone && !floor;
        }
        if (!kept) {
            pending = true;
            continue;
        }
        if (pending)
            out += u'-';
        out += c;
        pending = false;
    }

    // Runs of hyphens become one; a leading one goes.
    QString collapsed;
    for (QChar c : out) {
        if (c == u'-' && (collapsed.isEmpty() || collapsed.back() == u'-'))
            continue;
        collapsed += c;
    }
    // A hyphen written at the very end ("3-") has nothing to separate: dropped, as the
    // rules never make one there themselves.
    if (collapsed.endsWith(u'-'))
        collapsed.chop(1);

    // Hyphens next to letters go; letters that meet then stay together ("L-B106" → "LB106").
    QString result;
    for (qsizetype i = 0; i < collapsed.size(); ++i) {
        if (collapsed[i] == u'-' && ((i > 0 && isLetter(collapsed[i - 1])) ||
                                     (i + 1 < collapsed.size() && isLetter(collapsed[i + 1]))))
            continue;
        result += collapsed[i];
    }
    return result;
}

AddressNumber::Result AddressNumber::extract(const PostalIndex& index, QStringView postalCode,
                                             QStringView address)
{
    Result r;
    if (!index.isLoaded()) {
        r.reason =
            index.errorText().isEmpty() ? PostalIndex::unavailableMessage() : index.errorText();
        return r;
    }
    const AddressMatch::Result m = AddressMatch::match(index, postalCode, address);
    if (m.status == AddressMatch::Status::Missing ||
        (m.status == AddressMatch::Status::Unknown && m.code == 0)) {
        r.reason = m.message;
        return r;
    }
    const QString code = QString::asprintf("%07u", m.code);
    if (m.status == AddressMatch::Status::Unknown) {
        // Codes of the town table are towns; a seven-digit code outside it is an individual
        // number (a large customer's or a post-office box's), which carries no street
        // address: the barcode holds the number alone, or the 包括番号 and the box number.
        // A mistyped code lands here too; the address check reports it as unknown.
        r.ok = true;
        r.data = code + boxNumber(address);
        return r;
    }
    if (index.isRepresentative(m.code)) {
        r.reason =
            QStringLiteral("郵便番号 ") + AddressText::formatPostalCode(m.code) +
            QStringLiteral(" は「以下に掲載がない場合」の番号なので、バーコードはありません");
        return r;
    }
    if (m.townEnd < 0) {
        r.reason = QStringLiteral("住所に郵便番号の町域名（") + m.town.town.toString() +
                   QStringLiteral("）が見つかりません");
        return r;
    }
    // A town found without its city still fixes where the address number starts.
    r.ok = true;
    r.data = code + fromAddressPart(address.mid(m.townEnd));
    return r;
}

QString AddressNumber::barcodeData(const PostalIndex& index, const AddressRecord& record)
{
    using F = HeaderColumns::Field;
    const Result r = extract(index, record[F::PostalCode], AddressNumber::joinedAddress(record));
    return r.ok ? r.data : QString();
}

QString AddressNumber::joinedAddress(const AddressRecord& record)
{
    using F = HeaderColumns::Field;
    // A blank between the lines, so a number ending 住所１ and one starting 住所２ stay two.
    return record[F::Address1] + u' ' + record[F::Address2];
}

QString AddressNumber::barcodeDataOf(const AddressRecord& record)
{
    return barcodeData(PostalIndex::shared(), record);
}
