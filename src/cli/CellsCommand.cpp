#include "addresslist/AddressBook.h"
#include "addresslist/RowText.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"

#include <charconv>
#include <cstdio>
#include <string>

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

// Everything goes into one buffer, written out a megabyte at a time: a workbook prints a
// quarter of a million cells.
class Output
{
public:
    Output() { m_buffer.reserve(FlushSize + 4096); }
    ~Output() { flush(); }

    // UTF-8 with "\\", "\t", "\n" and "\r" escaped; an unpaired surrogate becomes U+FFFD.
    void text(QStringView s)
    {
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = s[i].unicode();
            if (c < 0x80) {
                switch (c) {
                case '\\':
                    raw("\\\\");
                    break;
                case '\t':
                    raw("\\t");
                    break;
                case '\n':
                    raw("\\n");
                    break;
                case '\r':
                    raw("\\r");
                    break;
                default:
                    m_buffer += char(c);
                }
                continue;
            }
            if (QChar::isHighSurrogate(c) && i + 1 < n && s[i + 1].isLowSurrogate())
                c = QChar::surrogateToUcs4(char16_t(c), s[++i].unicode());
            else if (QChar::isSurrogate(c))
                c = 0xFFFD;
            char bytes[4];
            int k = 0;
            if (c < 0x800) {
                bytes[k++] = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                bytes[k++] = char(0xE0 | (c >> 12));
                bytes[k++] = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                bytes[k++] = char(0xF0 | (c >> 18));
                bytes[k++] = char(0x80 | ((c >> 12) & 0x3F));
                bytes[k++] = char(0x80 | ((c >> 6) & 0x3F));
            }
            bytes[k++] = char(0x80 | (c & 0x3F));
            m_buffer.append(bytes, size_t(k));
        }
    }
    void raw(const char* s) { m_buffer.append(s); }
    void number(int n)
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        m_buffer.append(digits, size_t(end - digits));
    }
    void cell(int sheet, int row, int column, QStringView s)
    {
        number(sheet);
        m_buffer += '\t';
        number(row);
        m_buffer += '\t';
        number(column);
        m_buffer += '\t';
        text(s);
        m_buffer += '\n';
        if (m_buffer.size() >= FlushSize)
            flush();
    }
    void flush()
    {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        std::fflush(stdout);
        m_buffer.clear();
    }

private:
    static constexpr size_t FlushSize = 1 << 20;
    // A standard string: appending one character is inlined, which QByteArray's is not.
    std::string m_buffer;
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
    prompter.setSubject(args.front());
    bool workbook = false;
    bool damaged = false;
    AddressBook book;
    if (!LoadListFile(book, args.front(), prompter, &workbook, &damaged))
        return 1;

    Output out;
    printCaptions(out, book);
    if (workbook)
        printSheets(out, book);
    else
        printGrid(out, book.grid());
    // The cells before the damage are printed; the status says the list is not whole.
    return damaged ? 3 : 0;
}
