#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The field reader and quoting helpers of comma-separated text. The reader works on the code
// page 932 form: commas, quotes and blanks are single bytes there and never occur inside a
// double-byte character.

struct NthFieldResult
{
    enum Status
    {
        Found = 0,
        NoSuchField = -1,
        EmptyText = -2
    };
    QByteArray field;
    int status = Found;
};

// Field n (from 1) of a comma-separated text.
NthFieldResult NthField(const QByteArray& text, int n);
// NthField(text, 1), NthField(text, 2), ... in one pass, for as long as they are found and at
// most `maxFields`. The empty fields that follow an unclosed quote are left off.
QList<QByteArray> LeadingFields(const QByteArray& text, int maxFields);
// One pair of enclosing double quotes, then one pair of single quotes inside them.
QByteArray StripFieldQuotes(const QByteArray& text);
// The reader's field count: one less than the reads of NthField up to the first that fails,
// and one less again when the text does not end with "," (so "a,b" counts 1, "a,b," 2).
int FieldCount(const QByteArray& text);
// The text quoted for writing into a row text: "" -> `" "`; a text whose first space, comma,
// tab or quote is a double quote goes in single quotes, any other in double quotes. Inner
// quotes are not doubled.
QString QuoteField(const QString& text);
