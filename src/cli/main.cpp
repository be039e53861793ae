#include "cli/Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstring>
#include <map>
#include <memory>

int main(int argc, char* argv[])
{
    // Printing needs fonts, so a GUI application; without a display it runs offscreen.
    const bool printing = argc > 1 && std::strcmp(argv[1], "print") == 0;
    if (printing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app;
    if (printing)
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    const std::map<QString, int (*)(const QStringList&)> commands = {
        {QStringLiteral("barcode"), runBarcodeCommand},
        {QStringLiteral("cells"), runCellsCommand},
        {QStringLiteral("print"), runPrintCommand},
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
