#include "app/FontSubstitutions.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    const QString serif = QStringLiteral("Noto Serif CJK JP");
    const QString sans = QStringLiteral("Noto Sans CJK JP");
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), {QStringLiteral("IPAMincho"), serif});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("IPAGothic"), sans});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), sans});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"),
                               {QStringLiteral("IPAPMincho"), serif});
}
