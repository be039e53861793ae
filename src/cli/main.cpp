#include "cli/Commands.h"
#include "typeset/FontSubstitutes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {
struct Command
{
    int (*run)(const QStringList&);
    bool needsFonts; // measures or draws text: a GUI application (offscreen is enough)
    const char* arguments;
    const char* summary;
    // What `COMMAND --help` lists, one line each.
    std::vector<std::pair<const char*, const char*>> options;
    bool needsWidgets = false; // runs a window's own code (hidden): a widget application
};

const char* const ListFile = "the address list: .xls, .xlsx, .ods, .vcf, .csv, .csvu or .txt";
const char* const Settings = "the settings file (default: the window's own)";

void printHelp(QTextStream& out, const std::map<QString, Command>& commands)
{
    out << "usage: tayori-cli COMMAND ARGS...   (tayori-cli COMMAND --help for its options, "
           "tayori-cli --version)\n";
    qsizetype width = 0;
    for (const auto& [name, command] : commands)
        width = qMax(width, name.size() + 1 + qsizetype(qstrlen(command.arguments)));
    for (const auto& [name, command] : commands)
        out << "  " << (name + u' ' + QLatin1String(command.arguments)).leftJustified(width) << "  "
            << command.summary << '\n';
}

void printCommandHelp(QTextStream& out, const QString& name, const Command& command)
{
    out << "usage: tayori-cli " << name << ' ' << command.arguments << '\n';
    for (const auto& [option, meaning] : command.options)
        out << "  " << QString::fromLatin1(option).leftJustified(20) << ' ' << meaning << '\n';
}
} // namespace

int main(int argc, char* argv[])
{
    const std::map<QString, Command> commands = {
        {QStringLiteral("barcode"),
         {runBarcodeCommand,
          false,
          "DATA",
          "the customer barcode of DATA, then its bars (F/A/D/T)",
          {{"DATA",
            "postal code and address number, as the list's barcode data column holds them"}}}},
        {QStringLiteral("cells"),
         {runCellsCommand,
          false,
          "FILE",
          "every cell of a list as the window loads it: sheet, row, column, text",
          {{"FILE", ListFile}}}},
        {QStringLiteral("compose"),
         {runComposeCommand,
          true,
          "FILE ROW KIND [--settings INI]",
          "the nine texts of one row's card, as printing composes them",
          {{"FILE", ListFile},
           {"ROW", "the grid row (1 is the first record)"},
           {"KIND", "the layout: TT, TY, YT or YY"},
           {"--settings INI", Settings}}}},
        {QStringLiteral("print"),
         {runPrintCommand,
          true,
          "FILE --to OUT.pdf|--printer NAME [options]",
          "prints the cards of a list into a PDF file or onto a printer",
          {{"FILE", ListFile},
           {"--to OUT.pdf", "print into this PDF file"},
           {"--printer NAME", "print on this printer queue"},
           {"--rows A-B", "the grid rows to print (default: all)"},
           {"--paper POST|A4|A3", "one postcard, four cards on A4 or eight on A3"},
           {"--kind TT|TY|YT|YY", "the layout (default: the settings' one)"},
           {"--start N", "the first slot on the sheet"},
           {"--sheet N", "the workbook sheet to print (default: 1)"},
           {"--settings INI", Settings}}}},
        {QStringLiteral("address-number"),
         {runAddressNumberCommand,
          false,
          "POSTAL ADDRESS",
          "the customer barcode data made from a postal code and an address",
          {{"POSTAL", "the postal code, with or without its hyphen"},
           {"ADDRESS", "the address as the list's 住所１ and 住所２ hold it"}}}},
        {QStringLiteral("check"),
         {runCheckCommand,
          false,
          "LIST [--settings INI]",
          "rows whose postal code is missing, unknown or another place's",
          {{"LIST", ListFile}, {"--settings INI", Settings}}}},
        {QStringLiteral("layout"),
         {runLayoutCommand,
          true,
          "FILE.tyd [--into INI]",
          "the field records a layout file gives, as the preview's load applies them",
          {{"FILE.tyd", "a layout file; its kind (TT, TY, YT, YY) comes from its name"},
           {"--into INI", "also store them into this settings file's layouts"}},
          true}},
        {QStringLiteral("list"),
         {runListCommand,
          true,
          "FILE --to OUT.pdf [--sheet N] [--paper NAME] [--settings INI]",
          "the list printout of one sheet, as the list preview prints it",
          {{"FILE", ListFile},
           {"--to OUT.pdf", "print into this PDF file"},
           {"--sheet N", "the workbook sheet (default: 1)"},
           {"--paper NAME", "paper and orientation, e.g. A4-横, B5-縦 (default: A4-横)"},
           {"--settings INI", Settings}}}},
    };
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (name == u"--version") {
        QTextStream(stdout) << "tayori-cli " << TAYORI_VERSION << '\n';
        return 0;
    }
    const auto it = commands.find(name);
    if (it == commands.end()) {
        QCoreApplication app(argc, argv);
        const bool help = name == u"--help" || name == u"-h";
        QTextStream out(help ? stdout : stderr);
        printHelp(out, commands);
        return help ? 0 : 2;
    }
    for (int i = 2; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            QCoreApplication app(argc, argv);
            QTextStream out(stdout);
            printCommandHelp(out, name, it->second);
            return 0;
        }
    }
    std::unique_ptr<QCoreApplication> app;
    if (it->second.needsFonts) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") &&
            qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        if (it->second.needsWidgets)
            app = std::make_unique<QApplication>(argc, argv);
        else
            app = std::make_unique<QGuiApplication>(argc, argv);
        FontSubstitutes::install();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return it->second.run(QCoreApplication::arguments().mid(2));
}
