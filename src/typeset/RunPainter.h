#pragma once

#include "typeset/AlignMode.h"
#include "typeset/CharacterRun.h"
#include "typeset/TextUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QPoint>

#include <memory>

class QPaintDevice;
class QPainter;
class VerticalShaper;

// Measures and paints one line of text, unit by unit, in the pixels of one paint device
// (printer, PDF, image or screen), horizontally or as a vertical column. The units are
// placed by a CharacterRun, so squeezing, centring and spreading are the same everywhere.
//
// Horizontal: each unit's cell has its top-left corner at the pen, glyphs on a common
// baseline `ascent()` below it, compressed along the line when the run is squeezed.
// Vertical: each unit's cell has its top-left corner at the pen and the column reaches
// `cellHeight()` to the right; the pen moves down. Full-width units stand upright in their
// vertical forms, half-width units (TextUnits::isHalfWidth) are turned 90 degrees clockwise;
// a squeezed run compresses the glyphs along the column only.
//
// The painter's pen gives the colour. In a PDF a vertical form is backed by an invisible
// copy of its character, so the text can still be searched and copied; a form that is also
// another character's glyph is drawn as its outline, so it does not read as that character.
class RunPainter
{
public:
    enum class Direction
    {
        Horizontal,
        Vertical
    };

    // `font` as the field describes it; a family starting with "@" is taken without it (see
    // FaceName; the direction is the caller's). Metrics are those of `device`.
    RunPainter(const QFont& font, const QPaintDevice* device, Direction direction);

    const QFont& font() const { return m_font; }
    Direction direction() const { return m_direction; }
    bool isVertical() const { return m_direction == Direction::Vertical; }
    // The font's cell height (ascent + descent): the width of a vertical column.
    int cellHeight() const { return m_metrics.height(); }
    int ascent() const { return m_metrics.ascent(); }
    int descent() const { return m_metrics.descent(); }

    // True when the font or a face it falls back to has a glyph for the unit; otherwise the
    // unit prints as an empty box.
    bool canDraw(QStringView unit) const;

    // Each unit's horizontal advance in device pixels, measured on its own.
    QList<int> advances(const TextUnits& units) const;
    CharacterRun layOut(const TextUnits& units, int boxLength, int spreadLength, AlignMode mode,
                        CharacterRun::Rule rule = CharacterRun::Rule::Printer) const;
    // The font's average character width (what a squeezed run's glyph width derives from).
    int averageCharWidth() const { return m_metrics.averageCharWidth(); }
    // How much `run`'s glyphs are narrowed along the line.
    float glyphScale(const CharacterRun& run) const
    {
        return run.glyphScale(averageCharWidth(), isVertical());
    }

    // Paints `units` placed by `run` (made by layOut for the same units) with the box start
    // at `pen`, in device pixels of the painter's device, which should be the device this
    // painter measured on. Returns run.advanceSum().
    int paint(QPainter& painter, QPoint pen, const TextUnits& units, const CharacterRun& run) const;

    // One unit with its cell's top-left corner at `cell`, `length` pixels long along the
    // line, its glyph compressed along the line by `scale` (glyphScale of its run). For a
    // field that paints some units differently (a selection).
    void paintUnit(QPainter& painter, QPointF cell, QStringView unit, int length,
                   float scale) const;

    // Measure, lay out and paint `text` in one go; returns the advance sum (0 for an empty
    // text, which paints nothing).
    int draw(QPainter& painter, QPoint pen, const QString& text, int boxLength, int spreadLength,
             AlignMode mode) const;

private:
    struct Placed
    {
        QStringView unit;
        int offset; // from the origin along the line
        int length;
    };
    void paintPlaced(QPainter& painter, QPointF origin, const QList<Placed>& units,
                     float scale) const;

    QFont m_font;
    Direction m_direction;
    QFontMetrics m_metrics;
    std::shared_ptr<const VerticalShaper> m_shaper;
    bool m_ownGlyphs = false;
};
