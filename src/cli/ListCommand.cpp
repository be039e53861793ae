#include "addresslist/AddressBook.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"
#include "print/ListReport.h"
#include "print/PdfFileDevice.h"

#include <QTextStream>

#include <algorithm>

// tayori-cli list FILE --to OUT.pdf [--sheet N] [--paper NAME] [--settings INI]
// The list printout of the window's "リスト印刷" for one sheet, into a PDF file.

namespace {

const char* const Usage =
    "usage: tayori-cli list FILE --to OUT.pdf [--sheet N] [--paper A4-横|A3-縦|B5-横|...]\n"
    "       [--settings INI]\n";

int fail(const QString& text)
{
    QTextStream(stderr) << text << '\n';
    return 1;
}

} // namespace

int runListCommand(const QStringList& args)
{
    QString file, pdf, sheetText, paper, settings;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString* target = args[i] == u"--to"         ? &pdf
                          : args[i] == u"--sheet"    ? &sheetText
                          : args[i] == u"--paper"    ? &paper
                          : args[i] == u"--settings" ? &settings
                                                     : nullptr;
        if (target && i + 1 < args.size()) {
            *target = args[++i];
        } else if (target || args[i].startsWith(u"--") || !file.isEmpty()) {
            QTextStream(stderr) << Usage;
            return 2;
        } else {
            file = args[i];
        }
    }
    if (file.isEmpty() || pdf.isEmpty()) {
        QTextStream(stderr) << Usage;
        return 2;
    }

    ConsolePrompter prompter;
    AddressBook book;
    const std::optional<RememberedMappings> remembered = ReadRememberedMappings(settings, prompter);
    if (!remembered)
        return 1;
    bool workbook = false;
    if (!LoadListFile(book, file, prompter, &workbook, nullptr, *remembered))
        return 1;
    const QStringList tabs = book.tabCaptions();
    int sheet = 1;
    if (!sheetText.isEmpty()) {
        bool ok = false;
        sheet = sheetText.toInt(&ok);
        if (!ok || sheet < 1 || sheet > tabs.size())
            return fail(QStringLiteral("--sheet: 1 to %1").arg(tabs.size()));
        // A delimited list lives in the grid alone: it has no sheets to draw from.
        if (workbook) {
            book.ShowSheet(sheet);
            remembered->MapColumns(book.grid());
        }
    }

    ListReport report;
    if (!paper.isEmpty() && !report.setPaper(paper))
        return fail(QStringLiteral("--paper: ") + ListReport::PaperNames().join(u", "));
    const std::optional<ListTable> table =
        ListTable::FromGrid(book.grid(), ListTable::DefaultGridFont(),
                            sheet <= tabs.size() ? tabs[sheet - 1] : QString());
    if (!table)
        return fail(QStringLiteral("データがありません"));
    report.setTable(*table);

    PdfFileDevice device(pdf);
    QString error;
    if (!report.print(device, &error))
        return fail(error);
    const auto& cells = report.page().cells;
    const auto columns = std::count_if(cells.begin(), cells.end(),
                                       [](const ReportTextItem& c) { return c.box.width() >= 2; });
    QTextStream(stdout) << table->rowTotal + 1 << " rows, " << columns << " columns on "
                        << report.pageCount() << " pages\n";
    return 0;
}
