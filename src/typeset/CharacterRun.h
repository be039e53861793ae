#pragma once

#include "typeset/AlignMode.h"

#include <QList>

// The arithmetic of one line of characters in device pixels: given each unit's advance (its
// horizontal advance measured on the device the run is painted on), the box length L, the
// spread length G and the alignment, it fixes the scale s, the start offset t, the extra gap
// q after every unit, the remainder r (the first r gaps are one pixel wider), and from them
// the pen position of every unit. The printer renderer and the field control share it, so a
// field looks the same on screen and on paper.
//
// Every unit advances the pen by round(advance x s) + q, plus 1 for the first r units;
// rounding is half away from zero and s is single precision, as the stored layouts expect.
//
// Screen and paper place the units alike; they differ only in how a squeezed run narrows
// its glyphs (see glyphWidth), which is the run's Rule.
class CharacterRun
{
public:
    enum class Rule
    {
        Printer, // the card renderer
        Screen,  // the field control
    };

    CharacterRun() = default;

    // `boxLength` below 0 counts as 0. `spreadLength` only matters for alJustifyEx, where a
    // value above L or below MinSpreadLength means L.
    CharacterRun(QList<int> advances, int boxLength, int spreadLength, AlignMode mode,
                 Rule rule = Rule::Printer);

    static constexpr int MinSpreadLength = 16;

    int count() const { return int(m_advances.size()); }
    AlignMode mode() const { return m_mode; }
    Rule rule() const { return m_rule; }
    int boxLength() const { return m_boxLength; }
    // G after the replacement by L; equal to L for the modes that do not spread over G.
    int spreadLength() const { return m_spreadLength; }
    // M, the sum of the measured advances.
    int naturalLength() const { return m_naturalLength; }

    // s: 1 unless the text is squeezed into L, then L / M. Glyphs are compressed by it along
    // the line.
    float scale() const { return m_scale; }
    bool isSqueezed() const { return m_scale < 1.0f; }
    // t: where the first unit starts, from the box start (alCenter and alRight only).
    int offset() const { return m_offset; }
    // q and r of the spreading.
    int gap() const { return m_gap; }
    int remainder() const { return m_remainder; }

    int advance(int i) const { return m_advances.at(i); }
    // round(advance_i x s): the length unit i takes along the line, without its gap.
    int step(int i) const { return m_steps.at(i); }
    // The sum of the steps: what the renderer returns (the run's length without spreading).
    int advanceSum() const { return m_advanceSum; }

    // count() + 1 pen positions from the box start: boundary 0 is t, boundary i + 1 is
    // boundary i + step(i) + q (+ 1 while i < r). Unit i's cell starts at boundary i; the
    // last boundary includes the gap after the last unit.
    const QList<int>& boundaries() const { return m_boundaries; }
    int boundary(int i) const { return m_boundaries.at(i); }
    // The average character width of the font a squeezed run is drawn with: |average x s|,
    // rounded, except that the printer truncates it in a vertical column. The glyphs are
    // narrowed along the line by glyphWidth / average (glyphScale), the pen still moves by
    // the steps.
    int glyphWidth(int averageCharWidth, bool vertical) const;
    // glyphWidth / average; s itself for a font without an average width.
    float glyphScale(int averageCharWidth, bool vertical) const;

    // Where the last unit's own advance ends (t for an empty run): G for a spread run, at
    // most L for a squeezed one.
    int end() const;

private:
    QList<int> m_advances;
    QList<int> m_steps;
    QList<int> m_boundaries{0};
    AlignMode m_mode = AlignMode::alLeft;
    Rule m_rule = Rule::Printer;
    int m_boxLength = 0;
    int m_spreadLength = 0;
    int m_naturalLength = 0;
    float m_scale = 1.0f;
    int m_offset = 0;
    int m_gap = 0;
    int m_remainder = 0;
    int m_advanceSum = 0;
};
