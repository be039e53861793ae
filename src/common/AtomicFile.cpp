#include "common/AtomicFile.h"

#include <QSaveFile>

#include <cerrno>

bool AtomicFile::write(const QString& path, QByteArrayView data, QString* error)
{
    QSaveFile file(path);
    // A folder we may not write into must fail, never fall back to writing in place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // Flush before commit: Qt 6.4's commit() reports success even when the last buffered
    // write fails (disk full), and would rename the truncated file over the old one.
    if (file.write(data.data(), data.size()) != data.size() || !file.flush()) {
        const int code = errno; // the flush leaves "Unknown error" as its error string
        if (error)
            *error = path + QStringLiteral(": ") + qt_error_string(code);
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
