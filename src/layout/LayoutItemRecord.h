#pragma once

#include <QString>

// Where and how one field of one layout is placed. Positions and sizes in 1/10 mm from the
// card's top-left corner, the font size in points at 100 %.
struct LayoutItemRecord
{
    QString FontName;
    double FontSize = 0.0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    int WidthEx = 0;     // the field's extension, given to the field control as its OffsetEx
    bool Lock = false;   // cannot be put under the drag handle
    bool NoView = false; // hidden on screen while the faces are transparent
    bool NoPrint = false;

    bool operator==(const LayoutItemRecord&) const = default;
};
