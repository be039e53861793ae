#include "print/CardRenderer.h"

#include "common/SessionOptions.h"
#include "common/TextHelpers.h"
#include "common/numbers.h"
#include "compose/CardText.h"
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

namespace {

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
        const QStringList lines =
            item == LayoutItem::Renmei ? texts.jointNameLines() : QStringList{text};
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
        if (item == LayoutItem::Renmei) {
            DrawJointNames(kind, canvas, texts, originX, originY);
            continue;
        }
        if (item == LayoutItem::Katagaki)
            text = TrimBlanks(text);
        const bool vertical = isVerticalItem(kind, item);
        DrawFieldText(canvas, x, y, alignModeOf(item), vertical, r.WidthEx,
                      vertical ? r.Height : r.Width, r.FontName, r.FontSize, text);
    }
}

CardRenderer::JointNamePlace CardRenderer::jointNamePlace(LayoutKind kind, const CardTexts& texts,
                                                          int index, int count) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, LayoutItem::Renmei);
    JointNamePlace place{r.X, r.Y, r.FontSize};
    if (index <= 0 || count <= 1)
        return place;
    const bool vertical = isVerticalItem(kind, LayoutItem::Renmei);
    const double points = LayoutLimits::boundedFontSize(r.FontSize);
    const double size = LayoutUnits::pointsToTenthMm(printerPointSize(points, m_screenDpi));
    const double pitch = std::max<double>(vertical ? r.Width : r.Height, size);
    // Columns run left from the field, lines down from below the first one (which keeps its
    // size), as far as the card's edge or the nearest field with text on that side.
    const qint64 cardHeight =
        isLandscape(kind) ? CardGeometry::CardShortSide : CardGeometry::CardLongSide;
    qint64 limit = vertical ? 0 : cardHeight;
    for (int i = 0; i < LayoutItemCount; ++i) {
        const auto item = LayoutItem(i);
        const LayoutItemRecord& other = m_layouts.record(kind, item);
        if (item == LayoutItem::Renmei || other.NoView || other.NoPrint ||
            texts[item].trimmed().isEmpty())
            continue;
        if (vertical && other.Y < r.Y + r.Height && r.Y < other.Y + other.Height &&
            other.X + other.Width <= r.X)
            limit = std::max<qint64>(limit, other.X + other.Width);
        if (!vertical && other.X < r.X + r.Width && r.X < other.X + other.Width &&
            other.Y >= r.Y + r.Height)
            limit = std::min<qint64>(limit, other.Y);
    }
    // Short of room the names first close up to their size, then shrink by `factor`.
    const double room = vertical ? double(r.X - limit) : double(limit - r.Y) - pitch;
    const int gaps = vertical ? count - 1 : count - 2;
    const double roomForSteps = vertical ? room : room - size;
    double step = gaps > 0 ? std::min(pitch, roomForSteps / gaps) : pitch;
    double factor = 1.0;
    if (vertical ? step < size : (gaps > 0 ? step < size : room < size)) {
        factor = room / ((vertical ? gaps : gaps + 1) * size);
        step = factor * size;
    }
    // No smaller than the smallest font: a field at the card's very edge leaves no room.
    factor = std::clamp(factor, LayoutLimits::MinFontSize / points, 1.0);
    step = std::max(step, factor * size);
    if (factor < 1.0)
        // Whole points, rounded down: a size rounded up would reach into the next name.
        place.fontSize = std::max(LayoutLimits::MinFontSize, std::floor(points * factor));
    const double offset = vertical ? index * step : pitch + (index - 1) * step;
    if (vertical)
        place.x = r.X - numbers::roundHalfAway(offset);
    else
        place.y = r.Y + numbers::roundHalfAway(offset);
    return place;
}

void CardRenderer::DrawJointNames(LayoutKind kind, QPainter& canvas, const CardTexts& texts,
                                  qint64 originX, qint64 originY, int firstLine) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, LayoutItem::Renmei);
    const QStringList lines = texts.jointNameLines();
    const bool vertical = isVerticalItem(kind, LayoutItem::Renmei);
    for (int i = std::max(0, firstLine); i < lines.size(); ++i) {
        const JointNamePlace place = jointNamePlace(kind, texts, i, int(lines.size()));
        DrawFieldText(canvas, place.x + originX, place.y + originY, alignModeOf(LayoutItem::Renmei),
                      vertical, r.WidthEx, vertical ? r.Height : r.Width, r.FontName,
                      place.fontSize, lines[i]);
    }
}

bool CardRenderer::JointNamesShrink(LayoutKind kind, const CardTexts& texts) const
{
    const LayoutItemRecord& r = m_layouts.record(kind, LayoutItem::Renmei);
    if (r.NoView || r.NoPrint)
        return false;
    const int count = int(texts.jointNameLines().size());
    for (int i = 1; i < count; ++i)
        if (jointNamePlace(kind, texts, i, count).fontSize < r.FontSize)
            return true;
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
