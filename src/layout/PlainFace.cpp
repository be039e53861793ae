#include "layout/PlainFace.h"

#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/PlainFaceField.h"

PlainFace::PlainFace(const LayoutTable& table, LayoutKind kind, double zoom, double dpi,
                     QObject* parent)
    : QObject(parent)
{
    using namespace LayoutUnits;
    setObjectName(QStringLiteral("pnl") + layoutKindName(kind));
    for (int i = 0; i < LayoutItemCount; ++i) {
        const LayoutItemRecord& r = table.record(kind, LayoutItem(i));
        auto* f = new PlainFaceField(this);
        f->setObjectName(QStringLiteral("edt") + layoutItemName(LayoutItem(i)) +
                         layoutKindName(kind));
        f->Tag = i;
        f->Left = tenthMmToPixelsAtZoom(r.X, zoom, dpi);
        f->Top = tenthMmToPixelsAtZoom(r.Y, zoom, dpi);
        f->Width = tenthMmToPixelsAtZoom(r.Width, zoom, dpi);
        f->Height = tenthMmToPixelsAtZoom(r.Height, zoom, dpi);
        f->OffsetEx =
            LayoutItem(i) == LayoutItem::PostCode ? 0 : tenthMmToPixelsAtZoom(r.WidthEx, zoom, dpi);
        f->Font.setFamily(r.FontName);
        f->Font.setPixelSize(std::max(1, pointsToFontPixelsAtZoom(r.FontSize, zoom, dpi)));
        m_fields[i] = f;
    }
}

PlainFaceField* PlainFace::field(int item) const
{
    return item >= 0 && item < LayoutItemCount ? m_fields[item] : nullptr;
}
