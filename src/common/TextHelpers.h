#pragma once

#include <QString>
#include <QStringView>

// One pair of enclosing double quotes, then one pair of enclosing single quotes, removed.
QString StripQuotes(const QString& text);

// Leading and trailing U+0020, U+3000 and tabs removed. A text whose code page 932 form holds
// nothing above U+0020 gives the empty text; a text made only of blanks that holds an
// ideographic space comes back unchanged (it is not blank).
QString TrimBlanks(const QString& text);

// Empty after removing leading and trailing characters up to U+0020 from the code page 932
// form (an ideographic space is not blank).
bool IsBlankText(const QString& text);

// "-" and what people type for it: hyphens, dashes, the minus sign, the long vowel mark.
bool IsHyphenLookAlike(QChar c);

// The seven ASCII digits of a postal code as people type it: digits in either width, at most
// one hyphen (or a look-alike) after the third digit, "〒" and blanks (line breaks too)
// anywhere. Empty for anything else.
QString PostalCodeDigits(QStringView text);

// A postal code that a spreadsheet kept as a number and so lost its leading zero: six digits
// and nothing else ("400001" for 040-0001; no code starts with a digit it could have lost
// besides 0). The code with its zero back, "040-0001", or empty for anything else.
QString RestoredPostalCode(QStringView text);

// A postal-code cell that holds words rather than a code: a character beyond ASCII besides
// full-width digits, a hyphen, blanks and "〒" (「不明」, an address typed into the wrong
// column). Split by bytes such a cell would print half a character. A mistyped code of ASCII
// ("10a-0013") is no such cell.
bool IsNotPostalCode(QStringView text);
