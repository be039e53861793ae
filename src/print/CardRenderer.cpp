#include "print/CardRenderer.h"

#include "common/SessionOptions.h"
#include "common/TextHelpers.h"
#include "common/numbers.h"
#include "compose/CardText.h"
#include "layout/BarcodeGeometry.h"
#include "layout/CardGeometry.h"
#include "layout/LayoutLimits.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "layout/PostalBoxes.h"
#include "print/CardFacePicture.h"
#include "typeset/BarcodePainter.h"
#include "typeset/RunPainter.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace {

// Joint names closer than this many times their size read as one block: they shrink.
constexpr double Closest = 1.1;

constexpr int SlotPitchShort = 1050; // across the card's short side
constexpr int SlotPitchLong = 1480;  // along its long side

// The barcode goes third, right after the postal code.
constexpr LayoutItem DrawingOrder[] = {
    LayoutItem::YubinNo1,
    LayoutItem::YubinNo2,
    LayoutItem::PostCode,
    LayoutItem::Jyusho1,
    LayoutItem::Jyusho2,
    LayoutItem::Kaishamei,
    LayoutItem::Katagaki,
    LayoutItem::Atena,
    LayoutItem::Renmei,
    // The sender goes last: the addressee is drawn exactly as without one.
    LayoutItem::SenderYubinNo,
    LayoutItem::SenderJyusho1,
    LayoutItem::SenderJyusho2,
    LayoutItem::SenderKaishamei,
    LayoutItem::SenderName,
    LayoutItem::SenderRenmei,
};

} // namespace

CardRenderer::CardRenderer(const LayoutTable& layouts, const SessionOptions& options,
                           double screenDpi)
    : m_layouts(layouts), m_options(options),
      m_screenDpi(screenDpi > 0.0 ? screenDpi : StandardScreenDpi)
{}

int CardRenderer::toDevice(qint64 tenthMm, int dpi)
{
    return CardGeometry(dpi).toPixels(tenthMm);
}

bool CardRenderer::isDrawable(QPoint devicePosition)
{
    return std::abs(qint64(devicePosition.x())) <= MaxDeviceCoordinate &&
           std::abs(qint64(devicePosition.y())) <= MaxDeviceCoordinate;
}

int CardRenderer::printerPointSize(double fontSize, double screenDpi)
{
    const int tenthMm = LayoutUnits::pointsToTenthMm(fontSize);
    const int pixels = LayoutUnits::tenthMmToPixels(tenthMm, screenDpi);
    return numbers::roundHalfAway(pixels * 72.0 / screenDpi);
}

QPoint CardRenderer::SlotOffset(LayoutKind kind, int cardsPerSheet, int sheetPosition)
{
    if (cardsPerSheet < 4)
        return {};
    const int slot = ((sheetPosition - 1) % cardsPerSheet + cardsPerSheet) % cardsPerSheet;
    if (isLandscape(kind))
        return {(slot % 2) * SlotPitchLong, (slot / 2) * SlotPitchShort};
    return {(slot / 2) * SlotPitchShort, (slot % 2) * SlotPitchLong};
}

bool CardRenderer::isVerticalItem(LayoutKind kind, LayoutItem item)
{
    switch (item) {
    case LayoutItem::YubinNo1:
    case LayoutItem::YubinNo2:
    case LayoutItem::PostCode:
    case LayoutItem::SenderYubinNo:
        return false;
    default:
        return !isHorizontalWriting(kind);
    }
}

AlignMode CardRenderer::alignModeOf(LayoutItem item)
{
    return item == LayoutItem::Atena || item == LayoutItem::Renmei ? AlignMode::alJustifyEx
                                                                   : AlignMode::alLeft;
}

QFont CardRenderer::fieldFont(const QString& fontName, double fontSize,
                              const QPaintDevice* device) const
{
    QFont font(fontName);
    font.setStyleStrategy(QFont::PreferDefault);
    // The table holds sizes within the limits; a caller's own size is bounded here too, as a
    // pixel size beyond them overflows inside the font engine.
    const int points = printerPointSize(LayoutLimits::boundedFontSize(fontSize), m_screenDpi);
    font.setPixelSize(CardGeometry(device ? device->logicalDpiY() : 72).fontPixels(points));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

int CardRenderer::DrawFieldText(QPainter& canvas, qint64 x, qint64 y, AlignMode mode, bool vertical,
                                int spreadLength, int boxLength, const QString& fontName,
                                double fontSize, const QString& text) const
{
    if (text.isEmpty())
        return 0;
    const QPaintDevice* device = canvas.device();
    if (!device)
        return 0;
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    const QPoint pen(toDevice(x, dpiX), toDevice(y, dpiY));
    if (!isDrawable(pen))
        return 0;
    const int length = toDevice(boxLength, dpiX);
    const int spread = toDevice(spreadLength, dpiX);
    const QString drawn = vertical ? ToVerticalText(text, m_options.useNonUnicodeFont) : text;

    const RunPainter run(fieldFont(fontName, fontSize, device), device,
                         vertical ? RunPainter::Direction::Vertical
                                  : RunPainter::Direction::Horizontal);
    canvas.save();
    canvas.setPen(Qt::black);
    const int sum = run.draw(canvas, pen, drawn, length, spread, mode);
    canvas.restore();
    return sum;
}

bool CardRenderer::CanDrawCard(LayoutKind kind, const CardTexts& texts) const
{
    for (const LayoutItem item : DrawingOrder) {
        const LayoutItemRecord& r = m_layouts.record(kind, item);
        if (r.NoView || r.NoPrint || item == LayoutItem::PostCode)
            continue;
        const QString text = item == LayoutItem::Katagaki ? TrimBlanks(texts[item]) : texts[item];
        if (text.isEmpty())
            continue;
        const bool vertical = isVerticalItem(kind, item);
        const RunPainter run(fieldFont(r.FontName, r.FontSize, nullptr), nullptr,
                             vertical ? RunPainter::Direction::Vertical
                                      : RunPainter::Direction::Horizontal);
        // Joint names are drawn a line each: the break between them is not drawn.
        const QStringList lines = item == LayoutItem::Renmei || item == LayoutItem::SenderRenmei
                                      ? texts.jointNameLines(item)
                                      : QStringList{text};
        for (const QString& line : lines) {
            const TextUnits units(vertical ? ToVerticalText(line, m_options.useNonUnicodeFont)
                                           : line);
            for (int i = 0; i < units.count(); ++i)
                if (!run.canDraw(units.at(i)))
                    return false;
        }
    }
    return true;
}

void CardRenderer::DrawCard(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                            const CardPlacement& placement) const
{
    // In 64 bits: a correction typed at the integer limit plus a position must not wrap.
    const QPoint slot = SlotOffset(kind, placement.cardsPerSheet, placement.sheetPosition);
    const qint64 originX = qint64(numbers::lenientInt(placement.hoseiX)) + slot.x();
    const qint64 originY = qint64(numbers::lenientInt(placement.hoseiY)) + slot.y();

    if (placement.proof)
        DrawCardFace(kind, canvas, placement);
    const bool boxed = DrawDigitsInBoxes(kind, canvas, texts, originX, originY);
    for (const LayoutItem item : DrawingOrder) {
        const LayoutItemRecord& r = m_layouts.record(kind, item);
        if (r.NoView || r.NoPrint)
            continue;
        if (boxed && (item == LayoutItem::YubinNo1 || item == LayoutItem::YubinNo2))
            continue;
        const qint64 x = r.X + originX;
        const qint64 y = r.Y + originY;
        QString text = texts[item];
        if (item == LayoutItem::PostCode) {
            // Bars at their published size, never squeezed into the box: a narrowed
            // barcode cannot be read by the sorting machines.
            const QPaintDevice* device = canvas.device();
            if (text.isEmpty() || !device)
                continue;
            const QPoint at(toDevice(x, device->logicalDpiX()), toDevice(y, device->logicalDpiY()));
            if (!isDrawable(at))
                continue;
            canvas.save();
            BarcodePainter(BarcodePointSize).paint(canvas, QPointF(at), text);
            canvas.restore();
            continue;
        }
        if (item == LayoutItem::Renmei || item == LayoutItem::SenderRenmei) {
            DrawJointNames(kind, canvas, texts, originX, originY, 0, item);
            continue;
        }
        if (item == LayoutItem::Katagaki)
            text = TrimBlanks(text);
        const bool vertical = isVerticalItem(kind, item);
        int spread = r.WidthEx;
        if (item == LayoutItem::Atena)
            if (const int block = nameBlockSpread(kind, texts, canvas.device()))
                spread = block;
        DrawFieldText(canvas, x, y, alignModeOf(item), vertical, spread,
                      vertical ? r.Height : r.Width, r.FontName, r.FontSize, text);
    }
}

int CardRenderer::lineSize(const QString& fontName, double fontSize) const
{
    // The font's cell (ascent and descent), measured finely: a column is that wide.
    constexpr int Dpi = 1200;
    QFont font(fontName.startsWith(u'@') ? fontName.mid(1) : fontName);
    font.setStyleStrategy(QFont::PreferDefault);
    const int points = printerPointSize(LayoutLimits::boundedFontSize(fontSize), m_screenDpi);
    font.setPixelSize(CardGeometry(Dpi).fontPixels(points));
    return int(std::ceil(QFontMetricsF(font).height() * 254.0 / Dpi));
}

QRect CardRenderer::lineBox(LayoutKind kind, LayoutItem item, int x, int y, double fontSize) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, item);
    // A column reaches right of X by the font's cell, a line down from Y.
    const int cell = lineSize(r.FontName, fontSize);
    if (isVerticalItem(kind, item))
        return {x, y, cell, r.Height};
    return {x, y, r.Width, cell};
}

QList<QRect> CardRenderer::PrintedFurniture(LayoutKind kind)
{
    using namespace PostalBoxes;
    // The boxes as one row: the gaps between them are no place for a name either.
    const QList<QRectF> upright{
        QRectF(StampLeftMm, StampTopMm, StampWidthMm, StampHeightMm),
        QRectF(QPointF(CodeBoxLeftMm.front(), CodeBoxTopMm),
               QPointF(CodeBoxLeftMm.back() + CodeBoxWidthMm, CodeBoxTopMm + CodeBoxHeightMm))};
    QList<QRect> boxes;
    for (const QRectF& mm : upright) {
        // A landscape card is the upright one turned a quarter to the left.
        const QRectF turned = isLandscape(kind) ? QRectF(CardHeightMm - mm.bottom(), mm.left(),
                                                         mm.height(), mm.width())
                                                : mm;
        boxes << QRect(QPoint(numbers::roundHalfAway(turned.left() * 10),
                              numbers::roundHalfAway(turned.top() * 10)),
                       QSize(numbers::roundHalfAway(turned.width() * 10),
                             numbers::roundHalfAway(turned.height() * 10)));
    }
    return boxes;
}

QList<QRect> CardRenderer::inkBoxes(LayoutKind kind, const CardTexts& texts,
                                    LayoutItem jointItem) const
{
    QList<QRect> boxes = PrintedFurniture(kind);
    for (int i = 0; i < LayoutItemCount; ++i) {
        const auto item = LayoutItem(i);
        const LayoutItemRecord& r = m_layouts.record(kind, item);
        const QString text = item == LayoutItem::Katagaki ? TrimBlanks(texts[item]) : texts[item];
        if (item == jointItem || r.NoView || r.NoPrint || IsBlankText(text))
            continue;
        if (item == LayoutItem::PostCode) {
            boxes << QRect(r.X, r.Y, BarcodeGeometry::naturalWidthTenthMm(),
                           BarcodeGeometry::naturalHeightTenthMm());
        } else if (item == LayoutItem::SenderRenmei) {
            // The sender's names take their places first; the addressee's keep clear of them.
            const int count = int(texts.jointNameLines(item).size());
            for (int n = 0; n < count; ++n) {
                const JointNamePlace at = jointNamePlace(kind, texts, n, count, item);
                boxes << lineBox(kind, item, at.x, at.y, at.fontSize);
            }
        } else {
            boxes << lineBox(kind, item, r.X, r.Y, r.FontSize);
        }
    }
    return boxes;
}

CardRenderer::JointNamePlace CardRenderer::jointNamePlace(LayoutKind kind, const CardTexts& texts,
                                                          int index, int count,
                                                          LayoutItem item) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, item);
    JointNamePlace place{r.X, r.Y, r.FontSize};
    if (index <= 0 || count <= 1)
        return place;
    const bool vertical = isVerticalItem(kind, item);
    const double points = LayoutLimits::boundedFontSize(r.FontSize);
    const int size = lineSize(r.FontName, points);
    const QRect first = lineBox(kind, item, r.X, r.Y, points);
    // Further names stack away from the first, columns leftwards, lines downwards, as far as
    // the card's edge or the nearest ink beside them: any field with text, the sender's names,
    // the printed boxes.
    const qint64 cardHeight =
        isLandscape(kind) ? CardGeometry::CardShortSide : CardGeometry::CardLongSide;
    qint64 limit = vertical ? 0 : cardHeight;
    for (const QRect& ink : inkBoxes(kind, texts, item)) {
        // What the layout puts under the first name already, the others cannot keep clear of.
        if (ink.intersects(first))
            continue;
        if (vertical && ink.top() < first.bottom() + 1 && first.top() < ink.bottom() + 1 &&
            ink.left() < first.left())
            limit = std::max<qint64>(limit, std::min(ink.right() + 1, first.left()));
        if (!vertical && ink.left() < first.right() + 1 && first.left() < ink.right() + 1 &&
            ink.bottom() + 1 > first.bottom() + 1)
            limit = std::min<qint64>(limit, std::max(ink.top(), first.bottom() + 1));
    }
    // The last name keeps the same tenth of its size from the ink it stops at.
    const double room =
        (vertical ? double(first.left() - limit) : double(limit - (first.bottom() + 1))) -
        (Closest - 1) * size;
    // Lines packed at their bare size read as columns: a fifth of the size between them at
    // least, and beside the name they follow, the name's distance to the first of them.
    double pitch = std::max<double>(vertical ? r.Width : r.Height, 1.2 * size);
    const LayoutItemRecord& anchor = m_layouts.record(
        kind, item == LayoutItem::SenderRenmei ? LayoutItem::SenderName : LayoutItem::Atena);
    const int distance = vertical ? anchor.X - r.X : r.Y - anchor.Y;
    if (LayoutTable::FollowsAddressee(kind, anchor, r) && distance <= 2 * size)
        pitch = std::max<double>(pitch, distance);
    const int further = count - 1;
    const double step = std::max(0.0, std::min(pitch, room / further));
    int nameSize = size;
    if (step < Closest * size) {
        // Short of room the names close up to a tenth of their size apart, then shrink to the
        // step, in whole points rounded down (a size rounded up would reach into the next
        // name), no smaller than the smallest font: past that they cannot help touching. The
        // print run tells either.
        place.fontSize =
            std::max(LayoutLimits::MinFontSize, std::floor(points * step / (Closest * size)));
        nameSize = lineSize(r.FontName, place.fontSize);
    }
    const int far = numbers::roundHalfAway(index * std::max(step, double(nameSize)));
    if (vertical)
        place.x = first.left() - far;
    else
        place.y = first.bottom() + 1 + far - nameSize;
    return place;
}

int CardRenderer::nameEnd(LayoutKind kind, LayoutItem item, const QString& text,
                          const QPaintDevice* device) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, item);
    const bool vertical = isVerticalItem(kind, item);
    const RunPainter full(fieldFont(r.FontName, r.FontSize, device), device,
                          vertical ? RunPainter::Direction::Vertical
                                   : RunPainter::Direction::Horizontal);
    const QList<int> advances = full.advances(
        TextUnits(vertical ? ToVerticalText(text, m_options.useNonUnicodeFont) : text));
    const int dpi = device->logicalDpiX();
    const int length = toDevice(vertical ? r.Height : r.Width, dpi);
    int given = toDevice(r.WidthEx, dpi);
    if (given > length || given < 16)
        given = length;
    const int natural = std::accumulate(advances.begin(), advances.end(), 0);
    const int end = natural <= given ? given : std::min(natural, length);
    return numbers::roundHalfAway(end * 254.0 / dpi);
}

int CardRenderer::nameBlockSpread(LayoutKind kind, const CardTexts& texts,
                                  const QPaintDevice* device) const
{
    const LayoutItemRecord& atena = m_layouts.record(kind, LayoutItem::Atena);
    const LayoutItemRecord& renmei = m_layouts.record(kind, LayoutItem::Renmei);
    if (!device || atena.NoView || atena.NoPrint || renmei.NoView || renmei.NoPrint ||
        !LayoutTable::FollowsAddressee(kind, atena, renmei))
        return 0;
    const QStringList lines = texts.jointNameLines(LayoutItem::Renmei);
    if (lines.isEmpty() || IsBlankText(texts[LayoutItem::Atena]))
        return 0;
    // A name longer than the spread runs past it: the others end with it, or their 様 would
    // stand short of its.
    int end = nameEnd(kind, LayoutItem::Atena, texts[LayoutItem::Atena], device);
    for (const QString& line : lines)
        end = std::max(end, nameEnd(kind, LayoutItem::Renmei, line, device));
    return end;
}

void CardRenderer::DrawJointNames(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                                  qint64 originX, qint64 originY, int firstLine,
                                  LayoutItem item) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, item);
    const QStringList lines = texts.jointNameLines(item);
    const bool vertical = isVerticalItem(kind, item);
    const int boxLength = vertical ? r.Height : r.Width;
    const QPaintDevice* device = canvas.device();
    const int block = item == LayoutItem::Renmei ? nameBlockSpread(kind, texts, device) : 0;
    for (int i = std::max(0, firstLine); i < lines.size(); ++i) {
        const JointNamePlace place = jointNamePlace(kind, texts, i, int(lines.size()), item);
        int spread = r.WidthEx;
        if (block)
            spread = block;
        else if (place.fontSize < r.FontSize && device)
            // A smaller name ends where it would end at the field's size: its 様 under the
            // others'.
            spread = nameEnd(kind, item, lines[i], device);
        DrawFieldText(canvas, place.x + originX, place.y + originY, alignModeOf(item), vertical,
                      spread, boxLength, r.FontName, place.fontSize, lines[i]);
    }
}

bool CardRenderer::JointNamesShrink(LayoutKind kind, const CardTexts& texts) const
{
    for (LayoutItem item : {LayoutItem::Renmei, LayoutItem::SenderRenmei}) {
        const LayoutItemRecord& r = m_layouts.record(kind, item);
        if (r.NoView || r.NoPrint)
            continue;
        const int count = int(texts.jointNameLines(item).size());
        for (int i = 1; i < count; ++i)
            if (jointNamePlace(kind, texts, i, count, item).fontSize < r.FontSize)
                return true;
    }
    return false;
}

QPointF CardRenderer::PostalBoxCentreMm(int box)
{
    using namespace PostalBoxes;
    return {CodeBoxLeftMm[size_t(box)] + CodeBoxWidthMm / 2, CodeBoxTopMm + CodeBoxHeightMm / 2};
}

bool CardRenderer::DrawDigitsInBoxes(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                                     qint64 originX, qint64 originY) const
{
    if (!ZipInBoxes(m_options, kind))
        return false;
    const QString digits =
        PostalCodeDigits(texts[LayoutItem::YubinNo1] + texts[LayoutItem::YubinNo2]);
    const QPaintDevice* device = canvas.device();
    if (digits.isEmpty() || !device)
        return false;
    const int boxWidth = numbers::roundHalfAway(PostalBoxes::CodeBoxWidthMm * 10);
    const bool landscape = isLandscape(kind);
    for (int i = 0; i < int(digits.size()); ++i) {
        const LayoutItemRecord& r =
            m_layouts.record(kind, i < 3 ? LayoutItem::YubinNo1 : LayoutItem::YubinNo2);
        if (r.NoView || r.NoPrint)
            continue;
        // Centre the ink of the digits, not the font's cell: a cell carries the room of
        // accents and descenders that digits never use.
        const QFont font = fieldFont(r.FontName, r.FontSize, device);
        const QFontMetricsF metrics(font, device);
        const QRectF ink = metrics.tightBoundingRect(QStringLiteral("0123456789"));
        const double inkCentreFromTop = QFontMetrics(font, device).ascent() + ink.center().y();
        const double inkCentre = inkCentreFromTop / device->logicalDpiY() * 254.0;
        if (!landscape) {
            const QPointF centre = PostalBoxCentreMm(i) * 10.0;
            const qint64 x =
                originX + numbers::roundHalfAway(PostalBoxes::CodeBoxLeftMm[size_t(i)] * 10);
            DrawFieldText(canvas, x, originY + numbers::roundHalfAway(centre.y() - inkCentre),
                          AlignMode::alCenter, false, 0, boxWidth, r.FontName, r.FontSize,
                          digits.mid(i, 1));
            continue;
        }
        // A card used landscape keeps its boxes where they are printed, down its right edge:
        // the digits stand in them as on the upright card, turned with it, so that they read
        // upright when the card is held as the boxes are (the way the sorting machines read).
        const QPointF centre = PostalBoxes::codeBox(true, i).center() * 10.0;
        const QPoint at(
            toDevice(originX + numbers::roundHalfAway(centre.x()), device->logicalDpiX()),
            toDevice(originY + numbers::roundHalfAway(centre.y()), device->logicalDpiY()));
        if (!isDrawable(at))
            continue;
        canvas.save();
        canvas.translate(at);
        canvas.rotate(90);
        DrawFieldText(canvas, -(boxWidth / 2), -numbers::roundHalfAway(inkCentre),
                      AlignMode::alCenter, false, 0, boxWidth, r.FontName, r.FontSize,
                      digits.mid(i, 1));
        canvas.restore();
    }
    return true;
}

void CardRenderer::DrawCardFace(LayoutKind kind, QPainter& canvas,
                                const CardPlacement& placement) const
{
    const QPaintDevice* device = canvas.device();
    if (!device)
        return;
    const QPoint slot = SlotOffset(kind, placement.cardsPerSheet, placement.sheetPosition);
    const int width = isLandscape(kind) ? SlotPitchLong : 1000;
    const int height = isLandscape(kind) ? 1000 : SlotPitchLong;
    const int dpiX = device->logicalDpiX();
    const int dpiY = device->logicalDpiY();
    const QRect card(
        QPoint(toDevice(slot.x(), dpiX), toDevice(slot.y(), dpiY)),
        QPoint(toDevice(slot.x() + width, dpiX) - 1, toDevice(slot.y() + height, dpiY) - 1));
    canvas.save();
    CardFacePicture::paint(canvas, kind, QRectF(card));
    QPen outline(Qt::darkGray);
    outline.setWidthF(dpiX * 0.2 / 25.4); // 0.2 mm
    canvas.setPen(outline);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(QRectF(card));
    canvas.restore();
}
