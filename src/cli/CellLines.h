#pragma once

#include "addresslist/CellTarget.h"
#include "common/LargeBuffer.h"

#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// The lines of `tayori-cli cells`, "sheet<TAB>row<TAB>column<TAB>text", gathered as a list
// loads and written in order of place. A workbook reports millions of cells and nearly always
// in that order: the lines are then kept as they will be written, with nothing else per cell.
// A cell reported again replaces the earlier one; a blank one (nothing above U+0020) is not
// printed. Texts are UTF-8 with "\\", "\t", "\n" and "\r" escaped; an unpaired surrogate
// becomes U+FFFD.
class CellLines final : public CellTarget
{
public:
    void add(int sheet, int row, int column, QStringView text);

    void text(int sheet, int row, int column, QStringView text) override
    {
        add(sheet, row, column, text);
    }
    // A shared string's text is escaped once, for every cell with its index.
    bool shared(int sheet, int row, int column, qsizetype index) override;
    void sharedText(int sheet, int row, int column, qsizetype index, QStringView text) override;
    void number(int sheet, int row, int column, double value) override;
    // Once the captions are final the head goes out, and each sheet's lines when the next
    // sheet starts: one sheet is kept at a time. Only with an output (streamTo).
    void sheetsKnown(const QStringList& captions) override;

    // Where sheetsKnown may start writing.
    void streamTo(std::FILE* out) { m_out = out; }
    // The first line: "sheets", then each caption after a tab.
    static QByteArray headLine(const QStringList& captions);
    // The head written, if sheetsKnown wrote it.
    QByteArrayView writtenHead() const { return m_writtenHead; }
    // Writes `head` and then the lines; after sheetsKnown, the lines not yet written.
    void write(std::FILE* out, QByteArrayView head);

    // `text` escaped at `out`, which has room for three bytes a unit; returns the end.
    // `*blank` (when given) says whether the text had nothing above U+0020.
    static char* escape(QStringView text, char* out, bool* blank = nullptr);

private:
    // Mapped in large pages where the system gives them: the lines of a big workbook fill
    // tens of megabytes, and a fault for every 4 KiB of them costs more than writing them.
    static constexpr qsizetype BlockSize = qsizetype(16) << 20;
    char* room(qsizetype bytes)
    {
        return m_blockEnd - m_cursor >= bytes ? m_cursor : newBlock(bytes);
    }
    char* newBlock(qsizetype bytes);
    // Starts the line of a place with room for `textBytes`; returns where its text goes.
    // Inline for the next column of the same row, the millions of cells in between.
    [[gnu::always_inline]] char* begin(int sheet, int row, int column, qsizetype textBytes)
    {
        // Places start at sheet 1: no key is 0, the key before the first.
        const std::uint64_t key =
            (std::uint64_t(sheet) << 48) | (std::uint64_t(row) << 16) | std::uint64_t(column);
        if (key <= m_lastKey || sheet != m_prefixSheet || row != m_prefixRow) [[unlikely]]
            placeChanged(sheet, row, key);
        m_lastHasLine = false;
        m_lastKey = key;
        // The whole prefix buffer is copied: one fixed move, the bytes past it are overwritten.
        // Room for a short text's fixed move too, past the longest prefix and column.
        m_lineStart = room(qsizetype(sizeof m_prefix) + 16 + ShortText + textBytes);
        std::memcpy(m_lineStart, m_prefix, sizeof m_prefix);
        char* out = m_lineStart + m_prefixSize;
        if (column >= 0 && column < TabledColumns) [[likely]] {
            // Four bytes moved: the text, or the end of the line, goes over the last.
            std::memcpy(out, TabledColumnFields[size_t(column)].data(), 4);
            out += TabledColumnFields[size_t(column)][3];
        } else {
            out = std::to_chars(out, out + 12, column).ptr;
            *out++ = '\t';
        }
        m_textStart = out;
        return out;
    }
    // A place not after the last one, or in another row: the prefix is made again.
    void placeChanged(int sheet, int row, std::uint64_t key);
    // Ends the line begun, its text ending at `end`.
    [[gnu::always_inline]] void finish(char* end, bool blank)
    {
        if (blank) [[unlikely]] {
            // In order, no earlier line has this place: a blank cell has nothing to replace.
            // Out of order it is kept as a line without text, which replaces and is not
            // printed.
            if (m_inOrder)
                return;
            end = m_textStart;
        }
        *end++ = '\n';
        m_lastLine = m_lineStart;
        m_cursor = end;
        m_lastHasLine = true;
    }
    void writeInPlaceOrder(std::FILE* out) const;
    // Writes the lines kept and starts again in the first block.
    void flushLines(std::FILE* out);

    std::vector<LargeBuffer> m_blocks; // their sizes are set when the next one starts
    char* m_cursor = nullptr;          // where the next line goes in the last block
    char* m_blockEnd = nullptr;
    std::uint64_t m_lastKey = 0;
    bool m_lastHasLine = false;
    char* m_lastLine = nullptr;
    bool m_inOrder = true;
    char* m_lineStart = nullptr;
    std::FILE* m_out = nullptr;
    QByteArray m_writtenHead; // not empty once the lines are streamed
    char* m_textStart = nullptr;

    // Shared strings escaped so far, by index: where in m_sharedBytes, or not yet. Eight
    // bytes each: a million cells look them up in no order.
    struct Shared
    {
        static constexpr std::uint32_t NotYet = 0xFFFFFFFF;
        std::uint32_t at = NotYet;
        std::uint32_t size : 31 = 0;
        std::uint32_t blank : 1 = 0;
    };
    static constexpr qsizetype MaxShared = qsizetype(1) << 20;
    std::vector<Shared> m_shared;
    // The texts one after another, and ShortText bytes more: a short one is copied in one
    // fixed move.
    static constexpr qsizetype ShortText = 32;
    std::vector<char> m_sharedBytes;
    size_t m_sharedEnd = 0;

    // The cells of a row share their first two fields.
    char m_prefix[32] = {};
    size_t m_prefixSize = 0;
    int m_prefixSheet = -1;
    int m_prefixRow = -1;

    // "column<TAB>" of the columns of up to two digits, its count of bytes in the last: the
    // column field of nearly every line is one fixed move.
    static constexpr int TabledColumns = 100;
    using ColumnFields = std::array<std::array<char, 4>, TabledColumns>;
    static ColumnFields makeColumnFields();
    static const ColumnFields TabledColumnFields;
};
