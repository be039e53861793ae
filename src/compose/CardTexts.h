#pragma once

#include "layout/LayoutItem.h"

#include <QString>
#include <QStringList>

#include <array>

// The texts of one card, one per LayoutItem: the addressee's nine and the sender's.
struct CardTexts
{
    std::array<QString, LayoutItemCount> text;

    QString& operator[](LayoutItem item) { return text[size_t(item)]; }
    const QString& operator[](LayoutItem item) const { return text[size_t(item)]; }

    // A household's joint names: the Renmei text holds one line per name, each with its own
    // honorific, drawn each in its own column (vertical) or line (horizontal); the sender's
    // SenderRenmei likewise.
    static constexpr char16_t NameBreak = u'\n';
    QStringList jointNameLines(LayoutItem item = LayoutItem::Renmei) const
    {
        return text[size_t(item)].split(QChar(NameBreak));
    }
};
