#pragma once

#include <QString>
#include <QStringView>

// Stored layouts name a vertical field's font with a leading "@" ("@ＭＳ 明朝"): the face is
// the name without it, and the "@" asks for a vertical run.
class FaceName
{
public:
    static bool isVertical(QStringView name) { return name.startsWith(u'@'); }
    // The face itself: one leading "@" removed.
    static QString face(QStringView name);
    // The name with a leading "@", not doubled when it is already there.
    static QString vertical(QStringView name);
};
