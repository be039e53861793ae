#include "cli/CellLines.h"

#include "addresslist/BiffNumbers.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <new>
#include <utility>

namespace {

// Place of a line: sheet, row and column in one ordered number.
std::uint64_t placeKey(std::uint64_t sheet, std::uint64_t row, std::uint64_t column)
{
    return (sheet << 48) | (row << 16) | column;
}

} // namespace

char* CellLines::escape(QStringView s, char* out, bool* blank)
{
    const char16_t* units = s.utf16();
    const qsizetype n = s.size();
    char32_t highest = 0;
    qsizetype i = 0;
    // Printable ASCII, the bulk of numbers and codes, is copied as it is: four units at a
    // time while none is at or above 0x80, below 0x21 or the backslash.
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t ones = 0x0001000100010001;
        constexpr std::uint64_t tops = 0x8000 * ones;
        for (; i + 4 <= n; i += 4) {
            std::uint64_t w;
            std::memcpy(&w, units + i, sizeof w);
            if (w & (0xFF80 * ones))
                break;
            // Every unit is below 0x80 now: one below 0x21, or equal to it after the xor,
            // borrows into its top bit.
            if (((w - 0x21 * ones) | ((w ^ (0x5C * ones)) - ones)) & tops)
                break;
            const std::uint32_t bytes =
                std::uint32_t((w & 0xFF) | ((w >> 8) & 0xFF00) | ((w >> 16) & 0xFF0000) |
                              ((w >> 24) & 0xFF000000));
            std::memcpy(out + i, &bytes, sizeof bytes);
        }
    }
    for (; i < n; ++i) {
        const char16_t c = units[i];
        if (c < 0x21 || c >= 0x80 || c == '\\')
            break;
        out[i] = char(c);
    }
    if (i > 0)
        highest = 0x21;
    out += i;
    for (; i < n; ++i) {
        char32_t c = units[i];
        highest = std::max(highest, c);
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
    if (blank)
        *blank = highest <= 0x20;
    return out;
}

char* CellLines::newBlock(qsizetype bytes)
{
    if (!m_blocks.empty())
        m_blocks.back().resize(m_cursor - m_blocks.back().data());
    m_blocks.emplace_back(std::max(BlockSize, bytes));
    LargeBuffer& block = m_blocks.back();
    if (block.capacity() == 0)
        throw std::bad_alloc();
    m_cursor = block.data();
    m_blockEnd = block.data() + block.capacity();
    return m_cursor;
}

void CellLines::add(int sheet, int row, int column, QStringView text)
{
    char* const out = begin(sheet, row, column, 3 * text.size());
    bool blank = false;
    char* const end = escape(text, out, &blank);
    finish(end, blank);
}

bool CellLines::shared(int sheet, int row, int column, qsizetype index)
{
    if (index < 0 || size_t(index) >= m_shared.size() ||
        m_shared[size_t(index)].at == Shared::NotYet)
        return false;
    const Shared known = m_shared[size_t(index)];
    char* const out = begin(sheet, row, column, known.size);
    const char* const text = m_sharedBytes.data() + known.at;
    if (known.size <= ShortText)
        std::memcpy(out, text, ShortText);
    else
        std::memcpy(out, text, known.size);
    finish(out + known.size, known.blank);
    return true;
}

void CellLines::sharedText(int sheet, int row, int column, qsizetype index, QStringView text)
{
    if (index < 0 || index >= MaxShared) {
        add(sheet, row, column, text);
        return;
    }
    const size_t at = m_sharedEnd;
    const size_t most = 3 * size_t(text.size());
    if (at + most > Shared::NotYet - 1) { // more escaped text than an entry can point to
        add(sheet, row, column, text);
        return;
    }
    if (size_t(index) >= m_shared.size())
        m_shared.resize(size_t(index) + 1);
    m_sharedBytes.resize(at + most + ShortText);
    bool blank = false;
    m_sharedEnd = size_t(escape(text, m_sharedBytes.data() + at, &blank) - m_sharedBytes.data());
    Shared& known = m_shared[size_t(index)];
    known.at = std::uint32_t(at);
    known.size = std::uint32_t(m_sharedEnd - at);
    known.blank = blank;
    shared(sheet, row, column, index);
}

void CellLines::number(int sheet, int row, int column, double value)
{
    // Printable ASCII without a backslash: nothing to escape, never blank.
    char* const out = begin(sheet, row, column, biffnumbers::MaxGeneralLength);
    finish(out + biffnumbers::formatGeneral(value, out), false);
}

void CellLines::placeChanged(int sheet, int row, std::uint64_t key)
{
    // Sheets only grow once streamed: the last one's lines are whole.
    if (!m_writtenHead.isEmpty() && sheet > m_prefixSheet)
        flushLines(m_out);
    if (key <= m_lastKey) {
        if (key == m_lastKey && m_lastHasLine)
            m_cursor = m_lastLine; // the line just written is replaced
        else if (key < m_lastKey)
            m_inOrder = false;
    }
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
}

CellLines::ColumnFields CellLines::makeColumnFields()
{
    ColumnFields fields = {};
    for (int column = 0; column < TabledColumns; ++column) {
        char* const field = fields[size_t(column)].data();
        char* end = std::to_chars(field, field + 2, column).ptr;
        *end++ = '\t';
        field[3] = char(end - field);
    }
    return fields;
}

const CellLines::ColumnFields CellLines::TabledColumnFields = CellLines::makeColumnFields();

QByteArray CellLines::headLine(const QStringList& captions)
{
    QByteArray line("sheets");
    for (const QString& caption : captions) {
        const qsizetype at = line.size();
        line.resize(at + 1 + 3 * caption.size());
        line[at] = '\t';
        line.truncate(escape(caption, line.data() + at + 1) - line.data());
    }
    return line + '\n';
}

void CellLines::sheetsKnown(const QStringList& captions)
{
    if (!m_out || !m_writtenHead.isEmpty())
        return;
    m_writtenHead = headLine(captions);
    std::fwrite(m_writtenHead.data(), 1, size_t(m_writtenHead.size()), m_out);
    flushLines(m_out);
}

void CellLines::flushLines(std::FILE* out)
{
    if (m_blocks.empty())
        return;
    m_blocks.back().resize(m_cursor - m_blocks.back().data());
    if (m_inOrder) {
        for (const LargeBuffer& block : m_blocks)
            std::fwrite(block.view().data(), 1, size_t(block.size()), out);
    } else {
        writeInPlaceOrder(out);
    }
    m_blocks.erase(m_blocks.begin() + 1, m_blocks.end());
    m_cursor = m_blocks.front().data();
    m_blockEnd = m_cursor + m_blocks.front().capacity();
    m_inOrder = true;
    m_lastHasLine = false;
}

void CellLines::write(std::FILE* out, QByteArrayView head)
{
    if (m_writtenHead.isEmpty())
        std::fwrite(head.data(), 1, size_t(head.size()), out);
    flushLines(out);
    std::fflush(out);
}

// Lines that came out of order: sorted by place, the last one for each place kept.
void CellLines::writeInPlaceOrder(std::FILE* out) const
{
    struct Line
    {
        std::uint64_t key;
        std::uint64_t at; // block index << 32 | offset
    };
    std::vector<Line> lines;
    for (size_t b = 0; b < m_blocks.size(); ++b) {
        const char* bytes = m_blocks[b].view().data();
        const char* end = bytes + m_blocks[b].size();
        size_t at = 0;
        while (bytes + at < end) {
            std::uint64_t fields[3] = {};
            const char* p = bytes + at;
            for (std::uint64_t& field : fields)
                p = std::from_chars(p, end, field).ptr + 1; // and the tab
            lines.push_back(
                {placeKey(fields[0], fields[1], fields[2]), (std::uint64_t(b) << 32) | at});
            at = size_t(static_cast<const char*>(std::memchr(p - 1, '\n', size_t(end - p + 1))) -
                        bytes) +
                 1;
        }
    }
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.key != b.key ? a.key < b.key : a.at < b.at;
    });
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i + 1 < lines.size() && lines[i + 1].key == lines[i].key)
            continue;
        const QByteArrayView block = m_blocks[size_t(lines[i].at >> 32)].view();
        const char* line = block.data() + (lines[i].at & 0xFFFFFFFFu);
        const char* end = static_cast<const char*>(
            std::memchr(line, '\n', size_t(block.data() + block.size() - line)));
        // The text follows the third tab; a line without one is a blank that replaced.
        const char* text = line;
        for (int tabs = 0; tabs < 3; ++tabs)
            text = static_cast<const char*>(std::memchr(text, '\t', size_t(end - text))) + 1;
        if (text != end)
            std::fwrite(line, 1, size_t(end - line) + 1, out);
    }
}
