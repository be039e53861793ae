#include "typeset/VerticalShaper.h"

#include "typeset/TextUnits.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QPaintDevice>
#include <QSet>

#include <hb-ot.h>
#include <hb.h>

namespace {

hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* userData)
{
    const auto* font = static_cast<const QRawFont*>(userData);
    const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
    auto* bytes = new QByteArray(font->fontTable(name));
    if (bytes->isEmpty()) {
        delete bytes;
        return nullptr;
    }
    return hb_blob_create(bytes->constData(), static_cast<unsigned>(bytes->size()),
                          HB_MEMORY_MODE_READONLY, bytes,
                          [](void* data) { delete static_cast<QByteArray*>(data); });
}

// Keeps the shapers of the fonts in use; a print run uses a handful.
constexpr qsizetype MaxCachedShapers = 32;

} // namespace

struct VerticalShaper::Private
{
    QRawFont font;
    hb_face_t* face = nullptr;
    hb_font_t* hbFont = nullptr;
    hb_buffer_t* buffer = nullptr;
    qreal pixelsPerUnit = 0;
    qreal emBottom = 0;
    mutable QHash<char32_t, Glyph> horizontal;
    mutable QHash<char32_t, Glyph> vertical;
    mutable QSet<quint32> nominalGlyphs;
    mutable bool nominalGlyphsKnown = false;

    Glyph shape(QStringView unit, bool verticalForms) const;
    bool isNominal(quint32 glyph) const;
};

VerticalShaper::Glyph VerticalShaper::Private::shape(QStringView unit, bool verticalForms) const
{
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(unit.utf16()), int(unit.size()),
                        0, int(unit.size()));
    // Only the substitution is wanted; the cell placement is ours, so the buffer runs left
    // to right. A column is Japanese: the Han vertical forms cover the shared punctuation
    // (ー, 、, brackets) too.
    hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
    if (verticalForms)
        hb_buffer_set_script(buffer, HB_SCRIPT_HAN);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    hb_buffer_guess_segment_properties(buffer);

    static const hb_feature_t features[] = {
        {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
        {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    };
    hb_shape(hbFont, buffer, verticalForms ? features : nullptr, verticalForms ? 2 : 0);

    unsigned int count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    Glyph glyph;
    if (count == 1 && infos[0].codepoint != 0) {
        glyph.index = infos[0].codepoint;
        glyph.advance = positions[0].x_advance * pixelsPerUnit;
    }
    return glyph;
}

bool VerticalShaper::Private::isNominal(quint32 glyph) const
{
    if (!nominalGlyphsKnown) {
        nominalGlyphsKnown = true;
        hb_set_t* codePoints = hb_set_create();
        hb_face_collect_unicodes(face, codePoints);
        hb_codepoint_t c = HB_SET_VALUE_INVALID;
        while (hb_set_next(codePoints, &c)) {
            hb_codepoint_t g = 0;
            if (hb_font_get_nominal_glyph(hbFont, c, &g))
                nominalGlyphs.insert(g);
        }
        hb_set_destroy(codePoints);
    }
    return nominalGlyphs.contains(glyph);
}

VerticalShaper::VerticalShaper(const QRawFont& font) : d(std::make_unique<Private>())
{
    d->font = font;
    if (!font.isValid())
        return;
    // The face reads the tables through its own copy of the raw font.
    auto* tables = new QRawFont(font);
    d->face = hb_face_create_for_tables(referenceTable, tables,
                                        [](void* data) { delete static_cast<QRawFont*>(data); });
    const int upem = std::max(1, font.unitsPerEm() > 0 ? int(font.unitsPerEm()) : 0);
    hb_face_set_upem(d->face, upem);
    d->hbFont = hb_font_create(d->face);
    hb_font_set_scale(d->hbFont, upem, upem);
    d->buffer = hb_buffer_create();
    d->pixelsPerUnit = font.pixelSize() / upem;

    hb_position_t bottom = 0;
    hb_ot_layout_get_baseline_with_fallback(
        d->hbFont, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_BOTTOM_OR_LEFT, HB_DIRECTION_LTR,
        HB_TAG('h', 'a', 'n', 'i'), HB_TAG_NONE, &bottom);
    d->emBottom = bottom * d->pixelsPerUnit;
}

VerticalShaper::~VerticalShaper()
{
    hb_buffer_destroy(d->buffer);
    hb_font_destroy(d->hbFont);
    hb_face_destroy(d->face);
}

std::shared_ptr<const VerticalShaper> VerticalShaper::forFont(const QFont& font,
                                                              const QPaintDevice* device)
{
    // Never destroyed at exit: an application object that outlives this function's statics
    // (a static one, as in the fuzzers) still runs the post routine below.
    static auto& cache = *new QHash<QString, std::shared_ptr<const VerticalShaper>>;
    static const bool releasedWithApplication = [] {
        // Raw fonts must go while the font database still exists.
        qAddPostRoutine([] { cache.clear(); });
        return true;
    }();
    Q_UNUSED(releasedWithApplication);
    const QFont deviceFont = device ? QFont(font, device) : font;
    const QString key = font.key() + u'|' + QString::number(device ? device->logicalDpiY() : 0);
    if (auto it = cache.constFind(key); it != cache.cend())
        return it.value();
    if (cache.size() >= MaxCachedShapers)
        cache.clear();
    auto shaper = std::make_shared<const VerticalShaper>(
        QRawFont::fromFont(deviceFont, QFontDatabase::Japanese));
    cache.insert(key, shaper);
    return shaper;
}

bool VerticalShaper::isValid() const
{
    return d->hbFont != nullptr;
}

const QRawFont& VerticalShaper::rawFont() const
{
    return d->font;
}

VerticalShaper::Glyph VerticalShaper::horizontalGlyph(QStringView unit) const
{
    if (!isValid())
        return {};
    const char32_t c = TextUnits::codePoint(unit);
    if (auto it = d->horizontal.constFind(c); it != d->horizontal.cend())
        return it.value();
    const Glyph glyph = d->shape(unit, false);
    d->horizontal.insert(c, glyph);
    return glyph;
}

VerticalShaper::Glyph VerticalShaper::verticalGlyph(QStringView unit) const
{
    if (!isValid())
        return {};
    const char32_t c = TextUnits::codePoint(unit);
    if (auto it = d->vertical.constFind(c); it != d->vertical.cend())
        return it.value();
    Glyph glyph = d->shape(unit, true);
    const Glyph plain = horizontalGlyph(unit);
    if (glyph.index == 0) {
        glyph = plain;
    } else if (glyph.index != plain.index) {
        glyph.substituted = true;
        glyph.namesCharacter = d->isNominal(glyph.index);
    }
    d->vertical.insert(c, glyph);
    return glyph;
}

qreal VerticalShaper::emSize() const
{
    return d->font.pixelSize();
}

qreal VerticalShaper::emBoxBottom() const
{
    return d->emBottom;
}
