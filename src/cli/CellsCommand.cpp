#include "addresslist/AddressBook.h"
#include "cli/CellLines.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"

#include <QByteArray>

#include <cstdio>

// tayori-cli cells FILE: loads a list as the main window would and prints its cells, one per
// line: "sheet<TAB>row<TAB>column<TAB>text", after a first line "sheets<TAB>caption...".
// A workbook's cells go straight into the lines as they are read; no sheet rows are built.

int runCellsCommand(const QStringList& args)
{
    ConsolePrompter prompter;
    if (args.size() != 1) {
        prompter.showError(QStringLiteral("usage: tayori-cli cells FILE"));
        return 2;
    }
    prompter.setSubject(args.front());
    bool damaged = false;
    AddressBook book;
    CellLines lines;
    lines.streamTo(stdout);
    bool workbook = false;
    if (!LoadListFile(book, args.front(), prompter, &workbook, &damaged, {}, &lines))
        return 1;
    if (!workbook) {
        const AddressGrid& grid = book.grid();
        for (int r = 0; r < grid.rowCount(); ++r)
            for (int c = 0; c < grid.columnCount(); ++c)
                lines.add(1, r, c, grid.cell(c, r));
    }
    const QByteArray head = CellLines::headLine(book.tabCaptions());
    lines.write(stdout, head);
    // The head written early is the one the load ends with; anything else is a fault here.
    if (!lines.writtenHead().isEmpty() && lines.writtenHead() != head) {
        prompter.showError(QStringLiteral("シート名が読み込みの途中で変わりました"));
        return 1;
    }
    // The cells before the damage are printed; the status says the list is not whole.
    return damaged ? 3 : 0;
}
