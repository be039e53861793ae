#include "typeset/FaceName.h"

QString FaceName::face(QStringView name)
{
    return (isVertical(name) ? name.mid(1) : name).toString();
}

QString FaceName::vertical(QStringView name)
{
    return isVertical(name) ? name.toString() : u'@' + name.toString();
}
