#pragma once

#include <QRawFont>
#include <QStringView>

#include <memory>

class QFont;
class QPaintDevice;

// The glyphs of one font for a vertical run, shaped by HarfBuzz over the font's own tables:
// a full-width character gets its vertical form through the font's `vert`/`vrt2`
// substitutions ("ー" becomes a vertical bar, "、" and "。" move to the top right, brackets
// turn), which QPainter's own text drawing cannot ask for. Results are kept per character.
class VerticalShaper
{
public:
    struct Glyph
    {
        quint32 index = 0;          // 0: the font has no single glyph for the character
        qreal advance = 0;          // horizontal advance in pixels
        bool substituted = false;   // the vertical form is not the character's own glyph
        bool namesCharacter = true; // a PDF can name it by some character (its own cmap entry)
    };

    explicit VerticalShaper(const QRawFont& font);
    ~VerticalShaper();
    VerticalShaper(const VerticalShaper&) = delete;
    VerticalShaper& operator=(const VerticalShaper&) = delete;

    // The shaper of `font` as drawn on `device` (its size in that device's pixels), made once
    // and kept for the next run with the same font. It takes the font's Japanese face.
    static std::shared_ptr<const VerticalShaper> forFont(const QFont& font,
                                                         const QPaintDevice* device);

    bool isValid() const;
    const QRawFont& rawFont() const;

    // The glyph of one unit (see TextUnits) without features, as set horizontally.
    Glyph horizontalGlyph(QStringView unit) const;
    // Its vertical form; the horizontal glyph when the font has none for it.
    Glyph verticalGlyph(QStringView unit) const;

    // The ideographic em box in pixels: its size and its bottom edge measured up from the
    // baseline (below the baseline, so usually negative). Vertical forms are drawn for
    // this box.
    qreal emSize() const;
    qreal emBoxBottom() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
