#include "typeset/RunPainter.h"

#include "typeset/FaceName.h"
#include "typeset/VerticalShaper.h"

#include <QFontInfo>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

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

// What one coordinate frame of a run draws: horizontal units, or in a column the upright
// ones or the turned ones. All glyphs of a frame go out as one glyph run, which keeps a PDF
// small and quick to write.
struct Frame
{
    struct Text
    {
        QPointF at;
        QString text;
        bool invisible;
    };

    QTransform transform;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    QList<QPainterPath> outlines;
    QList<Text> texts;
    QList<QRectF> boxes; // cells of characters no face has: a crossed box each

    void paint(QPainter& painter, const QTransform& base, const QRawFont& font) const
    {
        if (glyphs.isEmpty() && outlines.isEmpty() && texts.isEmpty() && boxes.isEmpty())
            return;
        painter.setWorldTransform(transform * base);
        if (!glyphs.isEmpty()) {
            QGlyphRun run;
            run.setRawFont(font);
            run.setGlyphIndexes(glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(0.0, 0.0), run);
        }
        for (const QPainterPath& outline : outlines)
            painter.fillPath(outline, painter.pen().brush());
        const QPen pen = painter.pen();
        for (const Text& t : texts) {
            painter.setPen(t.invisible ? QPen(Qt::transparent) : pen);
            painter.drawText(t.at, t.text);
        }
        for (const QRectF& cell : boxes) {
            // Inside the cell, whatever the missing character's shaping would have drawn.
            const qreal inset = std::min(cell.width(), cell.height()) / 8.0;
            const QRectF box = cell.adjusted(inset, inset, -inset, -inset);
            painter.setPen(QPen(pen.brush(), std::max<qreal>(1.0, box.height() / 16.0)));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box);
            painter.drawLine(box.topLeft(), box.bottomRight());
            painter.drawLine(box.topRight(), box.bottomLeft());
        }
        painter.setPen(pen);
    }
};

} // namespace

RunPainter::RunPainter(const QFont& font, const QPaintDevice* device, Direction direction)
    : m_font(onDevice(faceOf(font), device)), m_direction(direction), m_metrics(m_font, device)
{
    m_shaper = VerticalShaper::forFont(m_font, device);
    // Horizontal glyphs come from the shaper's face only when it is the face QPainter itself
    // would take; otherwise QPainter draws them, with its own fallback.
    m_ownGlyphs =
        m_shaper->isValid() && m_shaper->rawFont().familyName() == QFontInfo(m_font).family();
}

bool RunPainter::canDraw(QStringView unit) const
{
    if (m_shaper->isValid() && m_shaper->horizontalGlyph(unit).index != 0)
        return true;
    // Variation selectors (as in names written with a variant of a kanji), joiners and other
    // format characters draw nothing of their own.
    const char32_t c = TextUnits::codePoint(unit);
    if (QChar::category(c) == QChar::Other_Format || (c >= 0xFE00 && c <= 0xFE0F) ||
        (c >= 0xE0100 && c <= 0xE01EF) || (c >= 0x180B && c <= 0x180D))
        return true;
    // The metrics look through the same fallback faces QPainter draws with.
    return m_metrics.inFontUcs4(c);
}

QList<int> RunPainter::advances(const TextUnits& units) const
{
    QList<int> result;
    result.reserve(units.count());
    for (int i = 0; i < units.count(); ++i) {
        const QStringView unit = units.at(i);
        // A character without a face takes one em, as the box drawn for it.
        if (!canDraw(unit)) {
            result.append(QFontInfo(m_font).pixelSize());
            continue;
        }
        result.append(unit.size() == 1 ? m_metrics.horizontalAdvance(unit.front())
                                       : m_metrics.horizontalAdvance(unit.toString()));
    }
    return result;
}

CharacterRun RunPainter::layOut(const TextUnits& units, int boxLength, int spreadLength,
                                AlignMode mode, CharacterRun::Rule rule) const
{
    return CharacterRun(advances(units), boxLength, spreadLength, mode, rule);
}

int RunPainter::paint(QPainter& painter, QPoint pen, const TextUnits& units,
                      const CharacterRun& run) const
{
    const int n = std::min(units.count(), run.count());
    QList<Placed> placed;
    placed.reserve(n);
    for (int i = 0; i < n; ++i)
        placed.append({units.at(i), run.boundary(i), run.step(i)});
    paintPlaced(painter, pen, placed, glyphScale(run));
    return run.advanceSum();
}

void RunPainter::paintUnit(QPainter& painter, QPointF cell, QStringView unit, int length,
                           float scale) const
{
    paintPlaced(painter, cell, {{unit, 0, length}}, scale);
}

int RunPainter::draw(QPainter& painter, QPoint pen, const QString& text, int boxLength,
                     int spreadLength, AlignMode mode) const
{
    if (text.isEmpty())
        return 0;
    const TextUnits units(text);
    return paint(painter, pen, units, layOut(units, boxLength, spreadLength, mode));
}

// Horizontal units and turned units share a frame whose x runs along the line, compressed
// by the scale. Upright units share one whose y runs down the column, compressed likewise;
// each sits in the font's ideographic em box, which across the column keeps the place it
// has against the baseline of the turned units (as in horizontal text) and along it is
// centred on the unit's cell.
void RunPainter::paintPlaced(QPainter& painter, QPointF origin, const QList<Placed>& units,
                             float scale) const
{
    // A run squeezed to nothing (a box of length 0) has no glyphs to show.
    if (units.isEmpty() || scale <= 0.0f)
        return;
    const qreal s = scale;
    const bool pdf = paintsPdf(painter);
    const bool shaped = m_shaper->isValid();

    Frame along;   // horizontal, or turned in a column
    Frame upright; // column only
    if (isVertical()) {
        along.transform.translate(origin.x() + descent(), origin.y());
        along.transform.rotate(90.0);
        along.transform.scale(s, 1.0);
        upright.transform.translate(origin.x(), origin.y());
        upright.transform.scale(1.0, s);
    } else {
        along.transform.translate(origin.x(), origin.y() + ascent());
        along.transform.scale(s, 1.0);
    }

    const qreal em = shaped ? m_shaper->emSize() : cellHeight();
    const qreal emBottom = shaped ? m_shaper->emBoxBottom() : -descent();
    qreal emLeft = descent() + emBottom;
    if (emLeft < -1.0 || emLeft + em > cellHeight() + 1.0)
        emLeft = (cellHeight() - em) / 2.0;

    for (const Placed& p : units) {
        if (!canDraw(p.unit)) {
            // A character no installed face has would be shaped into boxes of the fallback
            // engine that run over the neighbouring cells and fields.
            if (isVertical())
                upright.boxes.append(QRectF(0.0, p.offset / s, cellHeight(), p.length / s));
            else
                along.boxes.append(QRectF(p.offset / s, -ascent(), p.length / s, cellHeight()));
            continue;
        }
        if (!isVertical() || TextUnits::isHalfWidth(p.unit)) {
            const QPointF at(p.offset / s, 0.0);
            const VerticalShaper::Glyph glyph =
                m_ownGlyphs ? m_shaper->horizontalGlyph(p.unit) : VerticalShaper::Glyph{};
            if (glyph.index != 0) {
                along.glyphs.append(glyph.index);
                along.positions.append(at);
            } else {
                along.texts.append({at, p.unit.toString(), false});
            }
            continue;
        }

        const qreal y = (p.offset + (p.length - em * s) / 2.0) / s + em + emBottom;
        const VerticalShaper::Glyph glyph =
            shaped ? m_shaper->verticalGlyph(p.unit) : VerticalShaper::Glyph{};
        if (glyph.index == 0) {
            // Not in the font: the character from a fallback face, upright as it is.
            const QString text = p.unit.toString();
            const int advance = m_metrics.horizontalAdvance(text);
            upright.texts.append({QPointF(emLeft + (em - advance) / 2.0, y), text, false});
            continue;
        }
        const QPointF at(emLeft + (em - glyph.advance) / 2.0, y);
        if (pdf && glyph.substituted && glyph.namesCharacter) {
            // A vertical form shared with another character ("─" drawn as the glyph of
            // "│") would read as that character: its outline is drawn instead.
            upright.outlines.append(m_shaper->rawFont().pathForGlyph(glyph.index).translated(at));
        } else {
            upright.glyphs.append(glyph.index);
            upright.positions.append(at);
        }
        if (pdf && glyph.substituted)
            upright.texts.append({at, p.unit.toString(), true});
    }

    painter.save();
    painter.setFont(m_font);
    const QTransform base = painter.worldTransform();
    along.paint(painter, base, m_shaper->rawFont());
    upright.paint(painter, base, m_shaper->rawFont());
    painter.restore();
}
