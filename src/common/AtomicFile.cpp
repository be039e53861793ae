#include "common/AtomicFile.h"

#include <QSaveFile>

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
    if (file.write(data.data(), data.size()) != data.size()) {
        if (error)
            *error = file.errorString();
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
