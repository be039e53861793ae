#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTest>

#include <optional>

// The jobs of the held queues that scripts/cups-queue makes with real inkjet drivers
// (TayoriEP801A, TayoriPIXUS560i): nothing is printed; a test reads a held job's options from
// its control file in the scheduler's spool and rasterises its data with the driver's filters.
namespace HeldCupsJob {

inline const QString SpoolFolder = QStringLiteral("/var/spool/cups");

struct Job
{
    int id = 0;
    QByteArray control; // the job's IPP attributes as the scheduler keeps them
    QString dataFile;   // the document as it was sent

    // A text attribute of the job ("media", "job-name"); empty when it has none. The control
    // file holds IPP attributes: value tag, name length, name, value length, value.
    QString attribute(const QByteArray& name) const
    {
        QByteArray key(2, '\0');
        key[0] = char(name.size() >> 8);
        key[1] = char(name.size() & 0xff);
        key += name;
        const qsizetype at = control.indexOf(key);
        if (at < 1 || at + key.size() + 2 > control.size())
            return QString();
        const qsizetype from = at + key.size();
        const int length = (uchar(control[from]) << 8) | uchar(control[from + 1]);
        return QString::fromUtf8(control.mid(from + 2, length));
    }

    void cancel() const { QProcess::execute(QStringLiteral("cancel"), {QString::number(id)}); }
};

// The job whose name is `title`, once the scheduler has spooled it whole.
inline std::optional<Job> find(const QString& title, int seconds = 30)
{
    const QDir spool(SpoolFolder);
    for (int i = 0; i < seconds * 10; ++i, QTest::qWait(100)) {
        for (const QString& name : spool.entryList({QStringLiteral("c*")}, QDir::Files)) {
            QFile file(spool.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            Job job;
            job.control = file.readAll();
            if (job.attribute("job-name") != title)
                continue;
            job.id = name.mid(1).toInt();
            job.dataFile =
                spool.filePath(QStringLiteral("d%1-001").arg(job.id, 5, 10, QChar(u'0')));
            if (QFileInfo(job.dataFile).size() > 0)
                return job;
        }
    }
    return std::nullopt;
}

// The spool is the scheduler's: readable by root (as in CI) or a member of its group.
inline bool spoolReadable()
{
    return QFileInfo(SpoolFolder).isReadable() && QDir(SpoolFolder).exists();
}

// A page of CUPS raster (version 3, uncompressed, 24-bit RGB), as the driver's filters make it
// for the driver's last step.
struct RasterPage
{
    QSizeF sizePoints;     // the media the filters chose
    QString mediaName;     // its name in the driver
    QSize resolution;      // dots per inch across and down
    QRectF inkMillimetres; // the dark pixels' bounds, from the paper's top-left corner
};

inline std::optional<RasterPage> rasterise(const QString& ppd, const Job& job, const QString& media)
{
    QProcess filter;
    filter.start(QStringLiteral("cupsfilter"),
                 {QStringLiteral("-p"), ppd, QStringLiteral("-m"),
                  QStringLiteral("application/vnd.cups-raster"), QStringLiteral("-o"),
                  QStringLiteral("media=") + media, job.dataFile});
    if (!filter.waitForFinished(120000) || filter.exitCode() != 0)
        return std::nullopt;
    const QByteArray raster = filter.readAllStandardOutput();
    constexpr int HeaderSize = 1796;
    if (raster.size() < 4 + HeaderSize || !raster.startsWith("3SaR"))
        return std::nullopt;
    const auto u32 = [&](int offset) {
        quint32 v = 0;
        memcpy(&v, raster.constData() + 4 + offset, 4);
        return v;
    };
    const auto f32 = [&](int offset) {
        float v = 0;
        memcpy(&v, raster.constData() + 4 + offset, 4);
        return v;
    };
    RasterPage page;
    page.resolution = QSize(int(u32(276)), int(u32(280)));
    page.sizePoints = QSizeF(f32(428), f32(432));
    page.mediaName = QString::fromLatin1(raster.constData() + 4 + HeaderSize - 64);
    const int width = int(u32(372)), height = int(u32(376));
    const int bitsPerPixel = int(u32(388)), bytesPerLine = int(u32(392));
    if (bitsPerPixel != 24 || raster.size() < 4 + HeaderSize + qsizetype(bytesPerLine) * height)
        return std::nullopt;
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const uchar*>(raster.constData()) + 4 + HeaderSize +
                           qsizetype(y) * bytesPerLine;
        for (int x = 0; x < width; ++x) {
            const uchar* p = line + 3 * x;
            if (p[0] < 128 && p[1] < 128 && p[2] < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    if (right >= 0) {
        const double mmX = 25.4 / page.resolution.width(), mmY = 25.4 / page.resolution.height();
        page.inkMillimetres =
            QRectF(left * mmX, top * mmY, (right - left + 1) * mmX, (bottom - top + 1) * mmY);
    }
    return page;
}

} // namespace HeldCupsJob
