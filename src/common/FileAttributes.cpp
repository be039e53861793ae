#include "common/FileAttributes.h"

#include <QFile>
#include <QFileInfo>

namespace FileAttributes {

bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    return !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

bool clearReadOnly(const QString& path)
{
    if (!isReadOnly(path))
        return true;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner |
                                    QFileDevice::WriteUser);
    return !isReadOnly(path);
}

} // namespace FileAttributes
