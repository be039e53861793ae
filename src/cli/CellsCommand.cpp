#include "addresslist/AddressBook.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/RowText.h"
#include "addresslist/XBiffError.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"

#include <QFileInfo>

#include <cstdio>
#include <exception>

// tayori-cli cells FILE: loads a list as the main window would and prints its cells, one per
// line: "sheet<TAB>row<TAB>column<TAB>text", after a first line "sheets<TAB>caption...".

namespace {

bool isBlank(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() > 0x20)
            return false;
    return true;
}

class Output
{
public:
    ~Output() { flush(); }

    void text(QStringView s)
    {
        for (char c : s.toUtf8()) {
            switch (c) {
            case '\\':
                m_buffer += "\\\\";
                break;
            case '\t':
                m_buffer += "\\t";
                break;
            case '\n':
                m_buffer += "\\n";
                break;
            case '\r':
                m_buffer += "\\r";
                break;
            default:
                m_buffer += c;
            }
        }
    }
    void raw(const char* s) { m_buffer += s; }
    void number(int n) { m_buffer += QByteArray::number(n); }
    void cell(int sheet, int row, int column, QStringView s)
    {
        number(sheet);
        raw("\t");
        number(row);
        raw("\t");
        number(column);
        raw("\t");
        text(s);
        raw("\n");
        if (m_buffer.size() >= (1 << 20))
            flush();
    }
    void flush()
    {
        std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), stdout);
        std::fflush(stdout);
        m_buffer.clear();
    }

private:
    QByteArray m_buffer;
};

void printCaptions(Output& out, const AddressBook& book)
{
    out.raw("sheets");
    for (const QString& caption : book.tabCaptions()) {
        out.raw("\t");
        out.text(caption);
    }
    out.raw("\n");
}

void printSheets(Output& out, const AddressBook& book)
{
    for (int slot = 1; slot <= AddressBook::SheetSlots; ++slot) {
        const QStringList& rows = book.sheet(slot).rows;
        for (int r = 0; r < rows.size(); ++r) {
            const QStringList cells = RowText::read(rows[r]);
            for (int c = 0; c < cells.size(); ++c)
                if (!isBlank(cells[c]))
                    out.cell(slot, r, c, cells[c]);
        }
    }
}

void printGrid(Output& out, const AddressGrid& grid)
{
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            const QString text = grid.cell(c, r);
            if (!isBlank(text))
                out.cell(1, r, c, text);
        }
    }
}

} // namespace

int runCellsCommand(const QStringList& args)
{
    ConsolePrompter prompter;
    if (args.size() != 1) {
        prompter.showError(QStringLiteral("usage: tayori-cli cells FILE"));
        return 2;
    }
    const QString path = args.front();
    const QString suffix = QFileInfo(path).suffix().toUpper();
    AddressBook book;
    bool workbook = false;
    if (suffix == u"XLS") {
        // "開く"
        workbook = true;
        try {
            if (book.LoadWorkbook(path) == AddressBook::LoadResult::Locked) {
                prompter.showError(AddressBook::LockedFileMessage());
                return 1;
            }
        } catch (const XBiffError& error) {
            prompter.showError(error.message());
            return 1;
        } catch (const std::exception& error) {
            prompter.showError(QString::fromLocal8Bit(error.what()));
            return 1;
        }
    } else if (DelimitedList::IsDelimitedListFile(path)) {
        // "開く" for ".csvu", "住所録を開く(&J)" for both; the loader shows its own messages.
        if (DelimitedList::LoadDelimitedList(book, path, prompter) !=
            DelimitedList::LoadStatus::Loaded)
            return 1;
    } else {
        prompter.showError(QStringLiteral("エクセルファイルかCSVUファイルに対応しています"));
        return 1;
    }

    Output out;
    printCaptions(out, book);
    if (workbook)
        printSheets(out, book);
    else
        printGrid(out, book.grid());
    return 0;
}
