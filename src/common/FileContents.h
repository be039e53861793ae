#pragma once

#include "common/LargeBuffer.h"

#include <QByteArrayView>
#include <QString>

// A whole file read into memory once. A mapping of the file would fault (SIGBUS) when another
// program shortens the file while it is read; a copy only ever sees the bytes that were there.
class FileContents
{
public:
    explicit FileContents(const QString& fileName);

    // False when the file cannot be opened or read, or is not a regular file.
    bool isOpen() const { return m_open; }
    // What could be read: fewer bytes than the file had when it was opened if it was cut
    // meanwhile.
    QByteArrayView bytes() const { return m_buffer.view(); }

private:
    LargeBuffer m_buffer;
    bool m_open = false;
};
