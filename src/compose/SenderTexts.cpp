#include "compose/SenderTexts.h"

#include "common/TextHelpers.h"
#include "compose/CardComposer.h"
#include "compose/CardText.h"

namespace {

// Blanks as wide as the name's part before its given name, so that the joint name starts
// where the given name does: after the last space of the name, else at the same distance
// from the end.
QString jointNameIndent(const QString& name, const QString& joint, bool vertical)
{
    const QString trimmed = name.trimmed();
    qsizetype given = -1;
    for (qsizetype i = trimmed.size() - 1; i >= 0; --i) {
        if (trimmed[i] == u' ' || trimmed[i] == QChar(0x3000)) {
            given = i + 1;
            break;
        }
    }
    if (given < 0)
        given = qMax<qsizetype>(0, trimmed.size() - joint.trimmed().size());
    QString indent;
    for (qsizetype i = 0; i < given; ++i)
        // A vertical column turns every character full width.
        indent += vertical || trimmed[i].unicode() >= 0x100 ? QChar(0x3000) : QChar(u' ');
    return indent;
}

} // namespace

QString SenderPostalText(const QString& typed)
{
    if (IsBlankText(typed))
        return {};
    const QString digits = PostalCodeDigits(typed);
    if (!digits.isEmpty())
        return QStringLiteral("〒") + digits.left(3) + u'-' + digits.mid(3);
    QString rest = typed.trimmed();
    if (rest.startsWith(QChar(0x3012))) // typed with its mark: one is enough
        rest = rest.mid(1).trimmed();
    return QStringLiteral("〒") + rest;
}

void ComposeSenderTexts(const SenderInfo& sender, LayoutKind kind, bool useNonUnicodeFont,
                        CardTexts& card)
{
    for (int i = AddresseeItemCount; i < LayoutItemCount; ++i)
        card.text[size_t(i)].clear();
    if (!sender.print)
        return;
    const bool vertical = !isHorizontalWriting(kind);
    card[LayoutItem::SenderYubinNo] = SenderPostalText(sender.yubin);
    card[LayoutItem::SenderJyusho1] = sender.jyusho1.trimmed();
    card[LayoutItem::SenderJyusho2] = sender.jyusho2.trimmed();
    card[LayoutItem::SenderKaishamei] = sender.kaishamei.trimmed();
    card[LayoutItem::SenderName] = sender.name.trimmed();
    // 「花子・一郎」 is two people, each in a column (line) of their own, as the addressee's.
    QStringList lines;
    for (const QString& joint : CardComposer::JointNames(sender.renmei))
        lines << jointNameIndent(sender.name, joint, vertical) + joint.trimmed();
    if (vertical) {
        for (LayoutItem item : {LayoutItem::SenderJyusho1, LayoutItem::SenderJyusho2,
                                LayoutItem::SenderKaishamei, LayoutItem::SenderName})
            card[item] = ToVerticalText(card[item], useNonUnicodeFont);
        for (QString& line : lines)
            line = ToVerticalText(line, useNonUnicodeFont);
    }
    card[LayoutItem::SenderRenmei] = lines.join(QChar(CardTexts::NameBreak));
}
