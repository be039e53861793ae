#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 (Windows Shift-JIS) exactly as Windows maps it, plus the other Windows code
// pages that old workbooks name. Texts live as QString; bytes are made only where bytes count.
namespace cp932 {

// Unicode -> code page 932. A character without a code becomes "?" (one byte); the usual JIS
// look-alikes (wave dash, minus sign, ...) take their Windows codes.
QByteArray fromUnicode(QStringView text);

// Code page 932 -> Unicode. NEC and IBM extension rows decode.
QString toUnicode(QByteArrayView bytes);

// Bytes in Windows code page `codePage` (932, 1252, 1251, 10000, 1200 ...) -> Unicode.
// Unknown code pages fall back to code page 932.
QString decodeCodePage(QByteArrayView bytes, int codePage);

// Number of bytes of the code page 932 form.
inline qsizetype byteLength(QStringView text)
{
    return fromUnicode(text).size();
}

} // namespace cp932
