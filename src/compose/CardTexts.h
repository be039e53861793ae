#pragma once

#include "layout/LayoutItem.h"

#include <QString>

#include <array>

// The texts of one card, one per LayoutItem: the addressee's nine and the sender's.
struct CardTexts
{
    std::array<QString, LayoutItemCount> text;

    QString& operator[](LayoutItem item) { return text[size_t(item)]; }
    const QString& operator[](LayoutItem item) const { return text[size_t(item)]; }
};
