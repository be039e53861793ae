#include "common/numbers.h"

#include <cmath>
#include <limits>

namespace numbers {

int roundHalfAway(double value)
{
    const double r = std::round(value); // std::round already rounds halves away from zero
    if (r >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(r);
}

bool parseInt(const QString& text, int* value)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty())
        return false;
    for (QChar c : t) {
        const bool ok = base == 10 ? (c >= u'0' && c <= u'9')
                                   : (c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'));
        if (!ok || c.unicode() > 0x7F)
            return false;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, base);
    if (!ok)
        return false;
    const qlonglong s = negative ? -v : v;
    if (s < std::numeric_limits<int>::min() || s > std::numeric_limits<int>::max())
        return false;
    *value = int(s);
    return true;
}

int lenientInt(const QString& text, int fallback)
{
    QString t = text;
    t.remove(u',');
    t.remove(u' ');
    int v = 0;
    return parseInt(t, &v) ? v : fallback;
}

} // namespace numbers
