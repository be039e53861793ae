#include "cli/Commands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <map>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("barcode"), runBarcodeCommand},
        {QStringLiteral("cells"), runCellsCommand},
    };
    QStringList args = QCoreApplication::arguments().mid(1);
    const auto it = args.isEmpty() ? commands.end() : commands.find(args.front());
    if (it == commands.end()) {
        QTextStream err(stderr);
        err << "usage: tayori-cli COMMAND ARGS...\ncommands:";
        for (const auto& [name, run] : commands)
            err << ' ' << name;
        err << '\n';
        return 2;
    }
    args.removeFirst();
    return it->second(args);
}
