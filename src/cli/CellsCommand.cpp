#include "addresslist/AddressBook.h"
#include "addresslist/RowText.h"
#include "cli/Commands.h"
#include "cli/ConsolePrompter.h"
#include "cli/ListLoading.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

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

// Everything goes into one buffer, written out a megabyte at a time: a workbook prints
// millions of cells. Each cell reserves its worst case once and is then written through a
// pointer.
class Output
{
public:
    Output() { m_buffer.resize(FlushSize + 4096); }
    ~Output() { flush(); }

    // UTF-8 with "\\", "\t", "\n" and "\r" escaped; an unpaired surrogate becomes U+FFFD.
    void text(QStringView s)
    {
        // A unit takes at most three bytes (a pair four for its two).
        reserve(3 * size_t(s.size()));
        char* out = m_buffer.data() + m_used;
        const char16_t* units = s.utf16();
        const qsizetype n = s.size();
        for (qsizetype i = 0; i < n; ++i) {
            char32_t c = units[i];
            if (c >= 0x20 && c < 0x80 && c != '\\') {
                *out++ = char(c);
                continue;
            }
            if (c < 0x80) {
                switch (c) {
                case '\\':
                    *out++ = '\\';
                    *out++ = '\\';
                    break;
                case '\t':
                    *out++ = '\\';
                    *out++ = 't';
                    break;
                case '\n':
                    *out++ = '\\';
                    *out++ = 'n';
                    break;
                case '\r':
                    *out++ = '\\';
                    *out++ = 'r';
                    break;
                default:
                    *out++ = char(c);
                }
                continue;
            }
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(units[i + 1]))
                c = QChar::surrogateToUcs4(char16_t(c), units[++i]);
            else if (QChar::isSurrogate(c))
                c = 0xFFFD;
            if (c < 0x800) {
                *out++ = char(0xC0 | (c >> 6));
            } else if (c < 0x10000) {
                *out++ = char(0xE0 | (c >> 12));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            } else {
                *out++ = char(0xF0 | (c >> 18));
                *out++ = char(0x80 | ((c >> 12) & 0x3F));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
            }
            *out++ = char(0x80 | (c & 0x3F));
        }
        m_used = size_t(out - m_buffer.data());
    }
    void raw(char c)
    {
        reserve(1);
        m_buffer[m_used++] = c;
    }
    void raw(const char* s)
    {
        while (*s)
            raw(*s++);
    }
    void cell(int sheet, int row, int column, QStringView s)
    {
        // The cells of a row share their first two fields.
        if (sheet != m_prefixSheet || row != m_prefixRow) {
            char* p = m_prefix;
            p = std::to_chars(p, m_prefix + sizeof m_prefix, sheet).ptr;
            *p++ = '\t';
            p = std::to_chars(p, m_prefix + sizeof m_prefix, row).ptr;
            *p++ = '\t';
            m_prefixSize = size_t(p - m_prefix);
            m_prefixSheet = sheet;
            m_prefixRow = row;
        }
        reserve(64);
        char* out = std::copy_n(m_prefix, m_prefixSize, m_buffer.data() + m_used);
        out = std::to_chars(out, out + 16, column).ptr;
        *out++ = '\t';
        m_used = size_t(out - m_buffer.data());
        text(s);
        raw('\n');
        if (m_used >= FlushSize)
            flush();
    }
    void flush()
    {
        std::fwrite(m_buffer.data(), 1, m_used, stdout);
        std::fflush(stdout);
        m_used = 0;
    }

private:
    void reserve(size_t bytes)
    {
        if (m_buffer.size() - m_used < bytes)
            m_buffer.resize(m_used + bytes + 4096);
    }

    static constexpr size_t FlushSize = 1 << 20;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    char m_prefix[32] = {};
    size_t m_prefixSize = 0;
    int m_prefixSheet = -1;
    int m_prefixRow = -1;
};

void printCaptions(Output& out, const AddressBook& book)
{
    out.raw("sheets");
    for (const QString& caption : book.tabCaptions()) {
        out.raw('\t');
        out.text(caption);
    }
    out.raw('\n');
}

void printSheets(Output& out, const AddressBook& book)
{
    for (int slot = 1; slot <= AddressBook::SheetSlots; ++slot) {
        const QStringList& rows = book.sheet(slot).rows;
        QString scratch;
        for (int r = 0; r < rows.size(); ++r) {
            int c = 0;
            RowText::ForEachCell(rows[r], true, -1, scratch, [&](QStringView cell) {
                if (!isBlank(cell))
                    out.cell(slot, r, c, cell);
                ++c;
            });
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
