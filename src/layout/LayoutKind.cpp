#include "layout/LayoutKind.h"

namespace {
constexpr const char* Names[LayoutKindCount] = {"TT", "TY", "YT", "YY"};
}

QString layoutKindName(LayoutKind kind)
{
    const int k = int(kind);
    return k >= 0 && k < LayoutKindCount ? QString::fromLatin1(Names[k]) : QString();
}

std::optional<LayoutKind> layoutKindFromName(QStringView name)
{
    for (int k = 0; k < LayoutKindCount; ++k)
        if (name.compare(QLatin1String(Names[k]), Qt::CaseInsensitive) == 0)
            return LayoutKind(k);
    return std::nullopt;
}
