#pragma once

#include <QString>

#include <optional>

// The four layouts: card orientation (T portrait, Y landscape) then writing direction
// (T vertical, Y horizontal). The numbers are stored in files; keep the order.
enum class LayoutKind
{
    TT = 0,
    TY = 1,
    YT = 2,
    YY = 3
};

inline constexpr int LayoutKindCount = 4;

// The kind of the main window's radio groups: 2 x landscape + horizontal.
constexpr LayoutKind layoutKindOf(bool landscape, bool horizontal)
{
    return LayoutKind((landscape ? 2 : 0) + (horizontal ? 1 : 0));
}
constexpr bool isLandscape(LayoutKind kind)
{
    return int(kind) >= 2;
}
constexpr bool isHorizontalWriting(LayoutKind kind)
{
    return int(kind) % 2 == 1;
}

// "TT", "TY", "YT", "YY".
QString layoutKindName(LayoutKind kind);
// The kind of such a name in any letter case, or nothing.
std::optional<LayoutKind> layoutKindFromName(QStringView name);
