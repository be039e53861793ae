#include "app/DataFileInfo.h"

#include "addresslist/WorkbookFile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace DataFileInfo {

qint64 FileSize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

namespace {

// The locale's long time names the time zone and, in Japanese, reads "9時35分33秒"; the
// clock the user sees is the short time with its seconds: "9:35:33".
QString plainLongTimeFormat(const QLocale& locale)
{
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (format.contains(u's'))
        return format;
    const qsizetype minutes = format.indexOf(QLatin1String("mm"));
    if (minutes < 1)
        return locale.timeFormat(QLocale::LongFormat);
    format.insert(minutes + 2, format[minutes - 1] + QStringLiteral("ss"));
    return format;
}

} // namespace

QString LastWriteText(const QString& path, const QLocale& locale)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QString();
    const QDateTime time = info.lastModified().toLocalTime();
    if (!time.isValid())
        return QString();
    return locale.toString(time.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(time.time(), plainLongTimeFormat(locale));
}

bool IsWorkbookFile(const QString& path)
{
    return WorkbookFile::IsWorkbookFile(path);
}

QString ShortenPath(const QString& path, const std::function<bool(const QString&)>& fits)
{
    const QString full = QDir::fromNativeSeparators(path);
    const qsizetype slash = full.lastIndexOf(u'/');
    const QString name = full.mid(slash + 1);
    QString rest = full.left(slash + 1);

    // "C:" on Windows; the root "/" counts with it, so "/.../" keeps showing an absolute path.
    QString drive;
    if (rest.size() >= 2 && rest[1] == u':' && rest[0].isLetter()) {
        drive = rest.left(2);
        rest.remove(0, 2);
    }
    if (rest.startsWith(u'/')) {
        drive += u'/';
        rest.remove(0, 1);
    }
    QStringList folders = rest.split(u'/', Qt::SkipEmptyParts);

    QStringList candidates{full};
    if (!folders.isEmpty()) {
        while (!folders.isEmpty()) {
            folders.removeFirst();
            const QString kept = folders.isEmpty() ? QString() : folders.join(u'/') + u'/';
            candidates << drive + QStringLiteral(".../") + kept + name;
        }
        if (!drive.isEmpty())
            candidates << QStringLiteral(".../") + name;
    }
    candidates << name;

    for (const QString& candidate : candidates)
        if (fits(QDir::toNativeSeparators(candidate)))
            return QDir::toNativeSeparators(candidate);
    return QDir::toNativeSeparators(name);
}

} // namespace DataFileInfo
