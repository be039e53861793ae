#include "print/PrinterDevice.h"

std::optional<QPageSize> PrinterPaperSize(const QString& name)
{
    const QString upper = name.toUpper();
    if (upper.contains(u"A3"))
        return QPageSize(QPageSize::A3);
    if (upper.contains(u"B4"))
        return QPageSize(QPageSize::JisB4);
    if (upper.contains(u"B5"))
        return QPageSize(QPageSize::JisB5);
    if (upper.contains(u"POST"))
        return QPageSize(QPageSize::Postcard);
    // A printer keeps the paper the last run set: an A4 run after postcards must say A4.
    if (upper.contains(u"A4"))
        return QPageSize(QPageSize::A4);
    return std::nullopt;
}

void SetPrinterPaper(PrinterDevice& device, const QString& name, bool landscape)
{
    device.setPaper(PrinterPaperSize(name),
                    landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}
