#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file through a temporary file in the same folder that is renamed over the
// old one, so a crash or a full disk never leaves a half-written file behind.
class AtomicFile
{
public:
    // Returns false and sets *error to "<file>: <reason>" (Japanese, see FileErrorText) when
    // the file could not be written; the previous file is then unchanged and no temporary
    // file is left.
    static bool write(const QString& path, QByteArrayView data, QString* error = nullptr);
};
