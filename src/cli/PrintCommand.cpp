#include "addresslist/AddressBook.h"
#include "app/SettingsFile.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"
#include "layout/LayoutTable.h"
#include "postal/AddressNumber.h"
#include "print/PrintHost.h"
#include "print/PrintJob.h"
#include "print/QPrinterDevice.h"
#include "typeset/ScreenTextMeasure.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <exception>

// tayori-cli print FILE --to OUT.pdf|--printer NAME [--rows A-B] [--paper POST|A4|A3]
//                       [--kind TT|TY|YT|YY] [--start N] [--sheet N] [--settings INI]
//                       [--proof]
// The window's print run without the window: no confirmation, check messages on standard
// error. --proof prints on plain paper with each card's outline and face under the fields.

namespace {

const char* const Usage =
    "usage: tayori-cli print FILE --to OUT.pdf|--printer NAME [--rows A-B]\n"
    "         [--paper POST|A4|A3] [--kind TT|TY|YT|YY] [--start N] [--sheet N]\n"
    "         [--settings INI] [--proof]\n";

// The tool bar's fields as plain texts; the status bar is standard error.
class ConsoleHost : public PrintHost
{
public:
    QString file, startLine, endLine, startOfPaper, hoseiX, hoseiY;

    // The checks' notices are about the list.
    void showStatus(const QString& text) override { ReportError(file, text); }
    void showRowText(const QString&) override {}
    QString startLineText() const override { return startLine; }
    void setStartLineText(const QString& text) override { startLine = text; }
    QString endLineText() const override { return endLine; }
    void setEndLineText(const QString& text) override { endLine = text; }
    QString startOfPaperText() const override { return startOfPaper; }
    void setStartOfPaperText(const QString& text) override { startOfPaper = text; }
    QString hoseiXText() const override { return hoseiX; }
    QString hoseiYText() const override { return hoseiY; }
    void setPrinting(bool) override {}
    void processEvents() override {}
    bool abortRequested() const override { return false; }
    void setAbortRequested(bool) override {}
};

struct Arguments
{
    QString file;
    QString pdf;
    QString printerName;
    QString rows;
    QString paper;
    QString kind;
    QString start;
    QString sheet;
    QString settings;
    bool proof = false;
};

bool parse(const QStringList& args, Arguments& a)
{
    const std::pair<const char*, QString*> options[] = {
        {"--to", &a.pdf},      {"--printer", &a.printerName}, {"--rows", &a.rows},
        {"--paper", &a.paper}, {"--kind", &a.kind},           {"--start", &a.start},
        {"--sheet", &a.sheet}, {"--settings", &a.settings},
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString* target = nullptr;
        for (const auto& [name, value] : options)
            if (arg == QLatin1String(name))
                target = value;
        if (arg == u"--proof") {
            a.proof = true;
        } else if (target) {
            if (i + 1 >= args.size())
                return false;
            *target = args[++i];
        } else if (arg.startsWith(u"--") || !a.file.isEmpty()) {
            return false;
        } else {
            a.file = arg;
        }
    }
    return !a.file.isEmpty() && (a.pdf.isEmpty() != a.printerName.isEmpty());
}

int fail(const QString& text, const QString& subject = QString())
{
    ReportError(subject, text);
    return 1;
}

} // namespace

int runPrintCommand(const QStringList& args)
{
    Arguments a;
    if (!parse(args, a)) {
        QTextStream(stderr) << Usage;
        return 2;
    }

    // The window's settings file unless one is given.
    SettingsState state;
    LayoutTable layouts;
    QString settingsError;
    if (!SettingsFile::ReadSettings(
            a.settings.isEmpty() ? SettingsFile::DefaultPath(QStringLiteral("tayori")) : a.settings,
            state, layouts, &settingsError))
        return fail(QStringLiteral("設定を読み込めませんでした: ") + settingsError);

    PrintParameters parameters;
    parameters.confirm = false;
    parameters.proof = a.proof;
    parameters.noSetPrinter = state.noSetPrinter;
    parameters.kind = state.layoutKind;
    parameters.paper = PaperKind(state.paper);
    if (!a.kind.isEmpty()) {
        const std::optional<LayoutKind> kind = layoutKindFromName(a.kind);
        if (!kind)
            return fail(QStringLiteral("--kind: TT, TY, YT or YY"));
        parameters.kind = *kind;
    }
    if (!a.paper.isEmpty()) {
        const QString paper = a.paper.toUpper();
        if (paper == u"POST")
            parameters.paper = PaperKind::Postcard;
        else if (paper == u"A4")
            parameters.paper = PaperKind::A4;
        else if (paper == u"A3")
            parameters.paper = PaperKind::A3;
        else
            return fail(QStringLiteral("--paper: POST, A4 or A3"));
    }

    ConsolePrompter prompter(a.file);
    AddressBook book;
    if (!LoadListFile(book, a.file, prompter, nullptr, nullptr, state.columnMappings))
        return 1;
    if (!a.sheet.isEmpty()) {
        bool ok = false;
        const int sheet = a.sheet.toInt(&ok);
        const int sheets = int(book.tabCaptions().size());
        if (!ok || sheet < 1 || sheet > sheets)
            return fail(QStringLiteral("--sheet: 1 to %1").arg(sheets));
        book.ShowSheet(sheet);
        state.columnMappings.MapColumns(book.grid());
    }

    ConsoleHost host;
    host.file = a.file;
    host.startLine = QStringLiteral("1");
    host.endLine = QString::number(book.grid().rowCount() - 1);
    if (!a.rows.isEmpty()) {
        static const QRegularExpression range(QStringLiteral(R"(^\s*(\d+)\s*(?:-\s*(\d+))?\s*$)"));
        const QRegularExpressionMatch m = range.match(a.rows);
        if (!m.hasMatch())
            return fail(QStringLiteral("--rows: A-B"));
        host.startLine = m.captured(1);
        host.endLine = m.hasCaptured(2) ? m.captured(2) : m.captured(1);
    }
    host.startOfPaper = a.start.isEmpty() ? state.startOfPaper : a.start;
    host.hoseiX = state.hoseiX;
    host.hoseiY = state.hoseiY;

    // The window's printer: high resolution, into a PDF file or onto a CUPS queue.
    QPrinter printer(QPrinter::HighResolution);
    if (!a.pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(a.pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
    } else {
        if (!QPrinterInfo::availablePrinterNames().contains(a.printerName))
            return fail(QStringLiteral("no such printer"), a.printerName);
        printer.setPrinterName(a.printerName);
    }
    QPrinterDevice device(printer);

    PrintJob job(book.grid(), layouts, state.options, ScreenTextMeasure(), device, host, prompter);
    job.setBarcodeDataSource(AddressNumber::barcodeDataOf);
    PrintJob::Result result;
    try {
        result = job.btnPrintClick(parameters);
    } catch (const std::exception& error) {
        return fail(QString::fromLocal8Bit(error.what()), a.file);
    }
    switch (result.outcome) {
    case PrintJob::Outcome::Printed:
    case PrintJob::Outcome::Aborted:
        QTextStream(stdout) << result.cards << " cards on " << result.sheets << " sheets, rows "
                            << host.startLine << '-' << host.endLine << ", next start "
                            << host.startOfPaper << '\n';
        // Without the confirmation, what it would have said is told here.
        if (!result.leftOutText.isEmpty())
            ReportError(a.file, result.leftOutText);
        for (const QString& warning : result.warnings)
            ReportError(a.file, warning);
        return 0;
    default:
        return 1;
    }
}
