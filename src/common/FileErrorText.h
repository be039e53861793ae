#pragma once

#include <QString>

// Why a file could not be read or written, in words for the user: the system's error numbers
// (errno) in Japanese, as the program speaks to its users in Japanese only.
namespace FileErrorText {

enum class Access
{
    Read,
    Write
};

// The reason alone, e.g. "ディスクの空き容量が足りません".
QString reason(int errorCode, Access access);
// "<file>: <reason>", the file in the platform's notation.
QString message(const QString& path, int errorCode, Access access);
// "<file>: 読み出し専用のファイルです": a file marked read-only that is left so.
QString readOnlyFileMessage(const QString& path);

} // namespace FileErrorText
