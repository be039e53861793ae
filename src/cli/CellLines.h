#pragma once

#include "common/LargeBuffer.h"

#include <QByteArrayView>
#include <QStringView>

#include <cstdint>
#include <cstdio>
#include <vector>

// The lines of `tayori-cli cells`, "sheet<TAB>row<TAB>column<TAB>text", gathered as a list
// loads and written in order of place. A workbook reports millions of cells and nearly always
// in that order: the lines are then kept as they will be written, with nothing else per cell.
// A cell reported again replaces the earlier one; a blank one (nothing above U+0020) is not
// printed. Texts are UTF-8 with "\\", "\t", "\n" and "\r" escaped; an unpaired surrogate
// becomes U+FFFD.
class CellLines
{
public:
    void add(int sheet, int row, int column, QStringView text);
    // A cell whose text is shared string `shared` of the workbook, the same text for every
    // cell with that index: escaped once.
    void add(int sheet, int row, int column, QStringView text, qsizetype shared);
    // Writes `head` and then the lines.
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
    char* begin(int sheet, int row, int column, qsizetype textBytes);
    // Ends the line begun, its text ending at `end`.
    void finish(char* end, bool blank);
    void writeInPlaceOrder(std::FILE* out) const;

    std::vector<LargeBuffer> m_blocks; // their sizes are set when the next one starts
    char* m_cursor = nullptr;          // where the next line goes in the last block
    char* m_blockEnd = nullptr;
    std::uint64_t m_lastKey = 0;
    bool m_lastHasLine = false;
    char* m_lastLine = nullptr;
    bool m_inOrder = true;
    char* m_lineStart = nullptr;
    char* m_textStart = nullptr;

    // Shared strings escaped so far, by index: where in m_sharedBytes, or not yet.
    struct Shared
    {
        qsizetype at = -1;
        qsizetype size = 0;
        bool blank = false;
    };
    static constexpr qsizetype MaxShared = qsizetype(1) << 20;
    std::vector<Shared> m_shared;
    std::vector<char> m_sharedBytes;

    // The cells of a row share their first two fields.
    char m_prefix[32] = {};
    size_t m_prefixSize = 0;
    int m_prefixSheet = -1;
    int m_prefixRow = -1;

    // "column<TAB>" of the columns of up to two digits, its count of bytes in the last: the
    // column field of nearly every line is one fixed move.
    static constexpr int TabledColumns = 100;
    char m_columnFields[TabledColumns][4] = {};
};
