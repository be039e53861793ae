#include "cli/Commands.h"
#include "typeset/FontSubstitutes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <map>
#include <memory>

namespace {
struct Command
{
    int (*run)(const QStringList&);
    bool needsFonts; // measures or draws text: a GUI application (offscreen is enough)
};
} // namespace

int main(int argc, char* argv[])
{
    const std::map<QString, Command> commands = {
        {QStringLiteral("barcode"), {runBarcodeCommand, false}},
        {QStringLiteral("cells"), {runCellsCommand, false}},
        {QStringLiteral("compose"), {runComposeCommand, true}},
        {QStringLiteral("list"), {runListCommand, true}},
        {QStringLiteral("print"), {runPrintCommand, true}},
        {QStringLiteral("address-number"), {runAddressNumberCommand, false}},
        {QStringLiteral("check"), {runCheckCommand, false}},
    };
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto it = commands.find(name);
    if (it == commands.end()) {
        QCoreApplication app(argc, argv);
        QTextStream err(stderr);
        err << "usage: tayori-cli COMMAND ARGS...\ncommands:";
        for (const auto& [command, unused] : commands)
            err << ' ' << command;
        err << '\n';
        return 2;
    }
    std::unique_ptr<QCoreApplication> app;
    if (it->second.needsFonts) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        FontSubstitutes::install();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return it->second.run(QCoreApplication::arguments().mid(2));
}
