#include "typeset/RunPainter.h"

#include "typeset/FaceName.h"
#include "typeset/VerticalShaper.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

QFont faceOf(QFont font)
{
    if (FaceName::isVertical(font.family()))
        font.setFamily(FaceName::face(font.family()));
    return font;
}

QFont onDevice(const QFont& font, const QPaintDevice* device)
{
    return device ? QFont(font, device) : font;
}

bool paintsPdf(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && engine->type() == QPaintEngine::Pdf;
}

} // namespace

RunPainter::RunPainter(const QFont& font, const QPaintDevice* device, Direction direction)
    : m_font(onDevice(faceOf(font), device)), m_direction(direction), m_metrics(m_font, device)
{
    if (direction == Direction::Vertical)
        m_shaper = VerticalShaper::forFont(m_font, device);
}

QList<int> RunPainter::advances(const TextUnits& units) const
{
    QList<int> result;
    result.reserve(units.count());
    for (int i = 0; i < units.count(); ++i) {
        const QStringView unit = units.at(i);
        result.append(unit.size() == 1 ? m_metrics.horizontalAdvance(unit.front())
                                       : m_metrics.horizontalAdvance(unit.toString()));
    }
    return result;
}

CharacterRun RunPainter::layOut(const TextUnits& units, int boxLength, int spreadLength,
                                AlignMode mode) const
{
    return CharacterRun(advances(units), boxLength, spreadLength, mode);
}

int RunPainter::paint(QPainter& painter, QPoint pen, const TextUnits& units,
                      const CharacterRun& run) const
{
    const int n = std::min(units.count(), run.count());
    if (n == 0)
        return run.advanceSum();
    painter.save();
    painter.setFont(m_font);
    const QTransform base = painter.worldTransform();
    const bool pdf = paintsPdf(painter);
    for (int i = 0; i < n; ++i) {
        const QPointF cell = isVertical() ? QPointF(pen.x(), pen.y() + run.boundary(i))
                                          : QPointF(pen.x() + run.boundary(i), pen.y());
        paintUnitAt(painter, base, cell, units.at(i), run.step(i), run.scale(), pdf);
    }
    painter.restore();
    return run.advanceSum();
}

void RunPainter::paintUnit(QPainter& painter, QPointF cell, QStringView unit, int length,
                           float scale) const
{
    painter.save();
    painter.setFont(m_font);
    paintUnitAt(painter, painter.worldTransform(), cell, unit, length, scale, paintsPdf(painter));
    painter.restore();
}

int RunPainter::draw(QPainter& painter, QPoint pen, const QString& text, int boxLength,
                     int spreadLength, AlignMode mode) const
{
    if (text.isEmpty())
        return 0;
    const TextUnits units(text);
    return paint(painter, pen, units, layOut(units, boxLength, spreadLength, mode));
}

void RunPainter::paintUnitAt(QPainter& painter, const QTransform& base, QPointF cell,
                             QStringView unit, int length, float scale, bool pdf) const
{
    // A run squeezed to nothing (a box of length 0) has no glyphs to show.
    if (scale <= 0.0f)
        return;
    const QString text = unit.toString();
    QTransform local;
    if (!isVertical()) {
        local.translate(cell.x(), cell.y() + ascent());
        local.scale(scale, 1.0);
    } else if (TextUnits::isHalfWidth(unit)) {
        // Turned clockwise: the glyph's up points right, its descent stays in the column.
        local.translate(cell.x() + descent(), cell.y());
        local.rotate(90.0);
        local.scale(scale, 1.0);
    } else {
        paintUpright(painter, base, cell, unit, length, scale, pdf);
        return;
    }
    painter.setWorldTransform(local * base);
    painter.drawText(QPointF(0.0, 0.0), text);
}

// An upright unit sits in the font's ideographic em box. Across the column the box keeps
// the place it has against the baseline of the turned half-width units, as in horizontal
// text; along the column it is centred on the unit's cell.
void RunPainter::paintUpright(QPainter& painter, const QTransform& base, QPointF cell,
                              QStringView unit, int length, float scale, bool pdf) const
{
    const bool shaped = m_shaper && m_shaper->isValid();
    const qreal em = shaped ? m_shaper->emSize() : cellHeight();
    const qreal emBottom = shaped ? m_shaper->emBoxBottom() : -descent();
    qreal emLeft = cell.x() + descent() + emBottom;
    if (emLeft < cell.x() - 1.0 || emLeft + em > cell.x() + cellHeight() + 1.0)
        emLeft = cell.x() + (cellHeight() - em) / 2.0;
    const qreal emTop = cell.y() + (length - em * scale) / 2.0;
    const qreal baseline = em + emBottom;

    const VerticalShaper::Glyph glyph =
        shaped ? m_shaper->verticalGlyph(unit) : VerticalShaper::Glyph{};
    const QString text = unit.toString();
    if (glyph.index == 0) {
        // Not in the font: the character from a fallback face, upright as it is.
        const int advance = m_metrics.horizontalAdvance(text);
        QTransform local;
        local.translate(emLeft + (em - advance) / 2.0, emTop);
        local.scale(1.0, scale);
        painter.setWorldTransform(local * base);
        painter.drawText(QPointF(0.0, baseline), text);
        return;
    }

    QTransform local;
    local.translate(emLeft + (em - glyph.advance) / 2.0, emTop);
    local.scale(1.0, scale);
    painter.setWorldTransform(local * base);
    if (pdf && glyph.substituted && glyph.namesCharacter) {
        // A vertical form shared with another character ("─" drawn as the glyph of "│")
        // would read as that character: its outline is drawn instead of the glyph.
        QPainterPath outline = m_shaper->rawFont().pathForGlyph(glyph.index);
        outline.translate(0.0, baseline);
        painter.fillPath(outline, painter.pen().brush());
    } else {
        QGlyphRun run;
        run.setRawFont(m_shaper->rawFont());
        run.setGlyphIndexes({glyph.index});
        run.setPositions({QPointF(0.0, baseline)});
        painter.drawGlyphRun(QPointF(0.0, 0.0), run);
    }
    if (pdf && glyph.substituted) {
        const QPen pen = painter.pen();
        painter.setPen(Qt::transparent);
        painter.drawText(QPointF(0.0, baseline), text);
        painter.setPen(pen);
    }
}
