#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Text forms shared by the address check and the address-number extraction.
namespace AddressText {

// A 7-digit postal code from a cell: half- or full-width digits, an optional hyphen (or a
// look-alike) after the third digit, "〒" and blanks around it. Nothing for anything else.
std::optional<quint32> parsePostalCode(QStringView text);
// "100-0013".
QString formatPostalCode(quint32 code);
// True when the cell holds nothing but blanks (half- and full-width).
bool isBlank(QStringView text);

// The value of a run of kanji numerals (〇一二三四五六七八九十百千, 壱弐参拾): 十/百/千
// multiply the digit before them ("二十一" = 21, "三百五" = 305, "十" = 10), a run without
// them is read digit by digit ("二三" = 23). Nothing when the run is not a number.
std::optional<qint64> kanjiNumber(QStringView run);
bool isKanjiNumeral(QChar c);

// Full-width letters, digits and symbols as ASCII, the ideographic space as U+0020,
// half-width katakana as full width, the dash look-alikes as "-".
QString narrowWidth(QStringView text);

// The comparable form of an address or a place name: widths narrowed, blanks dropped,
// letters upper case, 「ヶ/ヵ/が」 as 「ケ」, 「の」 as 「ノ」, kanji numerals as digits.
// origin[i] is the index in the input of output character i; origin[size] is the input's
// length, so a prefix of the output maps back to the input.
struct Comparable
{
    QString text;
    QList<int> origin;
};
Comparable comparable(QStringView text);
QString comparableText(QStringView text);

} // namespace AddressText
