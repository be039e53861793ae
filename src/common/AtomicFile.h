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
    enum class Permissions
    {
        Kept,   // an existing file keeps its permissions, a new one gets the umask's
        Private // read and written by its owner only (0600), also while it is written
    };
    static bool write(const QString& path, QByteArrayView data, QString* error = nullptr,
                      Permissions permissions = Permissions::Kept);
};
