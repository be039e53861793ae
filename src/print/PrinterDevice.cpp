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
    return std::nullopt;
}

void SetPrinterPaper(PrinterDevice& device, const QString& name, bool landscape)
{
    device.setPaper(PrinterPaperSize(name),
                    landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}
