#include "app/WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

QRect keepOnScreen(const QRect& wanted, const QRect& fallback, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return fallback;
    if (wanted.isValid())
        for (const QRect& screen : screens)
            if (screen.contains(wanted))
                return wanted;

    const QRect& area = screens.front();
    QRect placed(fallback.topLeft(), fallback.size().boundedTo(area.size()));
    placed.moveLeft(std::clamp(placed.left(), area.left(), area.right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), area.top(), area.bottom() - placed.height() + 1));
    return placed;
}

} // namespace WindowPlacement
