#include "cli/Commands.h"

#include <QTextStream>

int runCellsCommand(const QStringList& args)
{
    QTextStream(stderr) << "cells: not available yet (" << args.join(u' ') << ")\n";
    return 1;
}
