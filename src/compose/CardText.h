#pragma once

#include "common/SessionOptions.h"
#include "layout/LayoutKind.h"

#include <QString>

#include <functional>

// Text conversions of the card fields.

// ASCII to full width: letters and digits +U+FEE0, space -> U+3000, and the symbols with
// their own full-width forms; everything above U+00FF, control characters and the letters of
// U+0080..U+00FF unchanged.
QString ToFullWidth(const QString& text);

// Full width, half-width katakana in full width (voiced marks joined), then full-width digits
// become kanji numerals one for one, and "－" (and the minus sign, U+2010..U+2013) becomes
// "─" (useNonUnicodeFont) or "❘". Converting converted text changes nothing.
QString ToVerticalText(const QString& text, bool useNonUnicodeFont);

// SpreadDigits' reference: the text and its width on the standard screen (96 dpi).
inline const QString ReferenceText = QStringLiteral("12345678901234567890");
constexpr int StandardReferenceWidth = 120;

// How SpreadDigits measures: the width in pixels of a text on the main window's surface, the
// point size of that surface's font and the screen resolution.
struct TextMeasure
{
    std::function<int(const QString&)> widthPx;
    double fontPointSize = 9.0;
    int dpi = 96;
};

// "123" -> "1 2 3" for printed postal-code boxes, unless the spread text would be too long.
QString SpreadDigits(const QString& part, double fontSize, const TextMeasure& measure);

struct PostalCodeParts
{
    QString part1;
    QString part2;
};

// Splits the postal code on the bytes of its code page 932 form (a leading "〒" and blanks
// around it dropped, full-width digits and hyphen look-alikes read as ASCII): at the first
// "-", else after the third byte. With boxes both parts are spread; otherwise a non-empty
// part1 may end in "-".
PostalCodeParts SplitPostalCode(const QString& code, bool boxes, bool joinByHyphen, double fontSize,
                                const TextMeasure& measure);

// Whether the option "郵便番号を枠に合わせる" holds for `kind`.
bool ZipInBoxes(const SessionOptions& options, LayoutKind kind);
