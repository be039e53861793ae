#include "typeset/FontSubstitutes.h"

#include <QFont>

#include <array>

namespace {

struct Substitute
{
    const char16_t* family;
    const char16_t* ipa;
    const char16_t* noto;
};

// Full-width names as stored, and the ASCII names the same faces carry elsewhere.
constexpr std::array<Substitute, 8> Substitutes{{
    {u"ＭＳ 明朝", u"IPAMincho", u"Noto Serif CJK JP"},
    {u"ＭＳ ゴシック", u"IPAGothic", u"Noto Sans CJK JP"},
    {u"ＭＳ Ｐ明朝", u"IPAPMincho", u"Noto Serif CJK JP"},
    {u"ＭＳ Ｐゴシック", u"IPAPGothic", u"Noto Sans CJK JP"},
    {u"MS Mincho", u"IPAMincho", u"Noto Serif CJK JP"},
    {u"MS Gothic", u"IPAGothic", u"Noto Sans CJK JP"},
    {u"MS PMincho", u"IPAPMincho", u"Noto Serif CJK JP"},
    {u"MS PGothic", u"IPAPGothic", u"Noto Sans CJK JP"},
}};

} // namespace

void FontSubstitutes::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const Substitute& s : Substitutes) {
        QFont::insertSubstitutions(QString::fromUtf16(s.family),
                                   {QString::fromUtf16(s.ipa), QString::fromUtf16(s.noto)});
    }
}

QStringList FontSubstitutes::substitutesFor(const QString& family)
{
    for (const Substitute& s : Substitutes) {
        if (family == QString::fromUtf16(s.family))
            return {QString::fromUtf16(s.ipa), QString::fromUtf16(s.noto)};
    }
    return {};
}
