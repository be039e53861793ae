#pragma once

#include <QByteArray>
#include <QString>

// Fields of comma-separated text, worked on in the code page 932 form: lengths count bytes,
// and ",", quotes and blanks are single bytes that never occur inside a double-byte
// character. The settings file and header rows rely on the exact behaviour, quirks included.
// The QString forms convert to code page 932 and back (a character without a code there
// becomes "?").

enum class NthFieldStatus
{
    Found = 0,
    NoSuchField = -1,
    EmptyText = -2
};

// Field n (from 1) of a comma-separated text, blanks (bytes up to 0x20) trimmed and one pair
// of enclosing quotes removed. A field may be enclosed in double or single quotes, then it
// may hold commas; it ends at the next quote of its kind (doubled quotes are not special).
// A text without a comma is one field, returned unchanged. *status tells whether the field
// was there; a text that is empty, or empty once StripFieldQuotes is done, gives EmptyText.
QByteArray NthField(const QByteArray& text, int n, NthFieldStatus* status = nullptr);
QString NthField(const QString& text, int n, NthFieldStatus* status = nullptr);

// Removes one pair of enclosing double quotes if there is one, then one pair of enclosing
// single quotes. When fewer than 2 bytes remain after the first step, the text is returned as
// given (so a quoted single character keeps its quotes).
QByteArray StripFieldQuotes(const QByteArray& text);
QString StripFieldQuotes(const QString& text);

// The number of fields that a comma ends: reads fields 1, 2, ... with NthField until one is
// missing; a last field without a comma after it is not counted ("a,b,c" gives 2, "a,b,c,"
// gives 3). A blank text gives 0.
int FieldCount(const QByteArray& text);
int FieldCount(const QString& text);

// The text quoted for a row text: empty -> a quoted space; enclosed in single quotes when the
// first space, comma, tab or quote in it is a double quote, in double quotes when it is one of
// the others; unchanged when there is none. Inner quotes are not doubled.
QString QuoteField(const QString& text);
