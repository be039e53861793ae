#include "addresslist/WorkbookFile.h"

#include "addresslist/OdsReader.h"
#include "addresslist/TXBiff.h"
#include "addresslist/VCardReader.h"
#include "addresslist/XBiffError.h"
#include "addresslist/XlsxReader.h"
#include "addresslist/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace WorkbookFile {

bool IsWorkbookFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"xls" || suffix == u"xlsx" || suffix == u"xlsm" || suffix == u"ods" ||
           VCardReader::IsVCardFile(path);
}

namespace {
void forward(const TXBiff& events, WorkbookReader& reader)
{
    reader.OnProgress = events.OnProgress;
    reader.OnReadCell = events.OnReadCell;
    reader.OnReadColW = events.OnReadColW;
    reader.OnReadSheetName = events.OnReadSheetName;
    reader.OnWantCell = events.OnWantCell;
    reader.OnReadSharedCell = events.OnReadSharedCell;
}
} // namespace

bool Load(TXBiff& events, const QString& path)
{
    if (VCardReader::IsVCardFile(path)) {
        VCardReader reader;
        forward(events, reader);
        reader.LoadFromFile(path);
        return reader.damaged();
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.peek(4) == QByteArrayLiteral("PK\x03\x04")) {
        // One copy in memory: the container is read from it, whatever happens to the file.
        const QByteArray bytes = file.readAll();
        file.close();
        ZipArchive zip(bytes);
        std::unique_ptr<WorkbookReader> reader;
        if (OdsReader::isOds(zip))
            reader = std::make_unique<OdsReader>();
        else if (XlsxReader::isXlsx(zip))
            reader = std::make_unique<XlsxReader>();
        else
            throw XBiffError(XBiffError::openFailed());
        forward(events, *reader);
        reader->LoadFromBytes(bytes);
        return reader->damaged();
    }
    file.close();
    events.LoadFromFile(path);
    return events.damaged();
}

} // namespace WorkbookFile
