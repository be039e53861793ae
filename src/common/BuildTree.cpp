#include "common/BuildTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace BuildTree {

QString rootAbove(const QString& folder)
{
    if (folder.isEmpty())
        return QString();
    QDir dir(folder);
    for (int up = 0; up <= 4; ++up) {
        if (QFileInfo(dir.filePath(QStringLiteral("CMakeCache.txt"))).isFile())
            return dir.absolutePath();
        if (!dir.cdUp())
            break;
    }
    return QString();
}

QString root()
{
    return rootAbove(QCoreApplication::applicationDirPath());
}

QString sourceDir()
{
    const QString top = root();
    if (top.isEmpty())
        return QString();
    QFile cache(top + QStringLiteral("/CMakeCache.txt"));
    if (!cache.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    while (!cache.atEnd()) {
        const QByteArray line = cache.readLine().trimmed();
        if (line.startsWith(key))
            return QString::fromLocal8Bit(line.mid(key.size()));
    }
    return QString();
}

} // namespace BuildTree
