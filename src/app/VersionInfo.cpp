#include "app/VersionInfo.h"

#include "common/BuildTree.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

namespace VersionInfo {

QString FileVersion()
{
    return QStringLiteral(TAYORI_VERSION);
}

QString VersionString(const QString& name)
{
    if (name == u"Comments") {
        const QString configured = QStringLiteral(TAYORI_COMMENTS);
        if (!configured.isEmpty())
            return configured;
        const QString manual = ManualPath();
        return manual.isEmpty() ? QString() : QUrl::fromLocalFile(manual).toString();
    }
    if (name == u"FileVersion" || name == u"ProductVersion")
        return FileVersion();
    if (name == u"ProductName" || name == u"InternalName")
        return QStringLiteral("Tayori");
    if (name == u"FileDescription")
        return QStringLiteral("Tayori（バーコード対応）ツール");
    if (name == u"OriginalFilename")
        return QStringLiteral("tayori");
    return QString();
}

QString ManualPath()
{
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../share/tayori/manual/index.html");
    if (QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    // Run from the build tree: the manual of the source tree it was built from.
    const QString sourceDir = BuildTree::sourceDir();
    const QString source =
        sourceDir.isEmpty() ? QString() : sourceDir + QStringLiteral("/docs/manual/index.html");
    if (!source.isEmpty() && QFileInfo::exists(source))
        return QFileInfo(source).canonicalFilePath();
    return QString();
}

} // namespace VersionInfo
