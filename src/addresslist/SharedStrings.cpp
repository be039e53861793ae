#include "addresslist/SharedStrings.h"

#include <QByteArray>

#include <algorithm>

// Reads the pieces as one run of bytes without joining them. Reads never go past the end:
// they fail (return false) and leave the cursor there.
class SharedStrings::Cursor
{
public:
    Cursor(const std::vector<QByteArrayView>& pieces, const std::vector<qint64>& ends)
        : m_pieces(pieces), m_ends(ends), m_size(ends.empty() ? 0 : ends.back())
    {}

    qint64 pos() const { return m_pos; }
    qint64 size() const { return m_size; }
    qint64 remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }

    void seek(qint64 pos)
    {
        m_pos = std::clamp<qint64>(pos, 0, m_size);
        m_piece = 0;
    }

    bool skip(qint64 count)
    {
        if (count < 0 || count > remaining()) {
            m_pos = m_size;
            return false;
        }
        m_pos += count;
        return true;
    }

    bool u8(quint8* value)
    {
        if (atEnd())
            return false;
        *value = quint8(at(m_pos++));
        return true;
    }

    bool u16(quint16* value)
    {
        if (remaining() < 2) {
            m_pos = m_size;
            return false;
        }
        if (const char* p = inPiece(2)) {
            *value = quint16(quint8(p[0]) | (quint8(p[1]) << 8));
            m_pos += 2;
            return true;
        }
        quint8 lo = 0, hi = 0;
        u8(&lo);
        u8(&hi);
        *value = quint16(lo | (hi << 8));
        return true;
    }

    bool u32(quint32* value)
    {
        quint16 lo = 0, hi = 0;
        if (remaining() < 4) {
            m_pos = m_size;
            return false;
        }
        u16(&lo);
        u16(&hi);
        *value = lo | (quint32(hi) << 16);
        return true;
    }

    // `count` bytes: a view inside one piece, else joined into `scratch`.
    bool bytes(qint64 count, QByteArrayView* out, QByteArray& scratch)
    {
        if (count < 0 || count > remaining()) {
            m_pos = m_size;
            return false;
        }
        if (count == 0) {
            *out = {};
            return true;
        }
        locate(m_pos);
        const qint64 start = m_ends[m_piece] - m_pieces[m_piece].size();
        if (m_pos + count <= m_ends[m_piece]) {
            *out = m_pieces[m_piece].sliced(m_pos - start, count);
        } else {
            scratch.resize(count);
            for (qint64 i = 0; i < count; ++i)
                scratch[i] = at(m_pos + i);
            *out = scratch;
        }
        m_pos += count;
        return true;
    }

private:
    // The next `count` bytes when they lie in one piece.
    const char* inPiece(qint64 count)
    {
        locate(m_pos);
        if (m_pos + count > m_ends[m_piece])
            return nullptr;
        return m_pieces[m_piece].data() + (m_pos - (m_ends[m_piece] - m_pieces[m_piece].size()));
    }

    void locate(qint64 pos)
    {
        if (m_ends[m_piece] <= pos || m_ends[m_piece] - m_pieces[m_piece].size() > pos)
            m_piece = std::upper_bound(m_ends.begin(), m_ends.end(), pos) - m_ends.begin();
    }

    char at(qint64 pos)
    {
        locate(pos);
        return m_pieces[m_piece][pos - (m_ends[m_piece] - m_pieces[m_piece].size())];
    }

    const std::vector<QByteArrayView>& m_pieces;
    const std::vector<qint64>& m_ends;
    qint64 m_size = 0;
    qint64 m_pos = 0;
    size_t m_piece = 0;
};

namespace {

QString decode(QByteArrayView bytes, int width)
{
    if (width == 1)
        return QString::fromLatin1(bytes.data(), bytes.size());
    // 16-bit units up to the first zero unit.
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* out = text.data();
    const auto* in = reinterpret_cast<const quint8*>(bytes.data());
    qsizetype n = 0;
    for (; n < units; ++n) {
        const char16_t unit = char16_t(in[2 * n] | (in[2 * n + 1] << 8));
        if (unit == 0)
            break;
        out[n] = QChar(unit);
    }
    text.truncate(n);
    return text;
}

// One string from the cursor; `extra` is the size of its formatting runs and phonetic data,
// `piece` the boundary its characters are measured against. With `text` null the characters
// are only passed over. False when the table ends inside the string.
bool readString(auto& in, const std::vector<qint64>& ends, qsizetype& piece, qint64& extra,
                QString* text)
{
    auto boundary = [&] {
        return piece < qsizetype(ends.size()) ? ends[size_t(piece)] : in.size();
    };
    QByteArray scratch;
    auto characters = [&](qint64 count, int width) {
        if (!text)
            return in.skip(count);
        QByteArrayView bytes;
        if (!in.bytes(count, &bytes, scratch))
            return false;
        *text += decode(bytes, width);
        return true;
    };

    quint16 count = 0;
    quint8 options = 0;
    quint16 runs = 0;
    quint32 phonetic = 0;
    if (!in.u16(&count) || !in.u8(&options))
        return false;
    if ((options & 0x08) && !in.u16(&runs))
        return false;
    if ((options & 0x04) && !in.u32(&phonetic))
        return false;
    extra = 4 * qint64(runs) + qint64(phonetic);

    int width = (options & 0x01) ? 2 : 1;
    qint64 byteCount = qint64(count) * width;
    bool continued = false;
    if (in.pos() + byteCount > boundary()) {
        byteCount = std::max<qint64>(0, boundary() - in.pos());
        continued = true;
        ++piece;
    }
    if (!characters(byteCount, width))
        return false;
    qint64 due = count;
    while (continued) {
        due -= byteCount / width;
        if (!in.u8(&options))
            return false;
        width = (options & 0x01) ? 2 : 1;
        byteCount = due * width;
        if (in.pos() + byteCount > boundary()) {
            byteCount = std::max<qint64>(0, boundary() - in.pos());
            ++piece;
        } else {
            continued = false;
        }
        if (!characters(byteCount, width))
            return false;
    }
    return true;
}

// After a string and its extra data: the boundary moves on to the piece the cursor is in.
void nextPiece(qint64 pos, const std::vector<qint64>& ends, qsizetype& piece)
{
    while (piece + 1 < qsizetype(ends.size()) && pos >= ends[size_t(piece)])
        ++piece;
}

} // namespace

void SharedStrings::clear()
{
    m_pieces.clear();
    m_ends.clear();
    m_marks.clear();
    m_steps.clear();
    m_count = 0;
    m_cutShort = false;
}

void SharedStrings::read(std::vector<QByteArrayView> pieces)
{
    clear();
    m_pieces = std::move(pieces);
    qint64 end = 0;
    for (const QByteArrayView piece : m_pieces)
        m_ends.push_back(end += piece.size());
    Cursor in(m_pieces, m_ends);
    quint32 total = 0, unique = 0;
    if (!in.u32(&total) || !in.u32(&unique)) {
        m_cutShort = true;
        return;
    }
    // Room for the strings the table says it holds, as far as its bytes can hold them (three
    // at least each): a table of millions would otherwise grow its lists many times over.
    const qint64 fits = in.remaining() / 3;
    const size_t expected = size_t(std::min<qint64>(unique, fits));
    m_steps.reserve(expected);
    m_marks.reserve(expected / kStride + 1);
    qsizetype piece = 0;
    while (!in.atEnd()) {
        const qint64 start = in.pos();
        if (m_count % kStride == 0)
            m_marks.push_back({start, piece});
        qint64 extra = 0;
        if (!readString(in, m_ends, piece, extra, nullptr)) {
            m_cutShort = true;
            return;
        }
        ++m_count;
        if (!in.skip(extra)) {
            m_cutShort = true;
            return;
        }
        const qint64 step = in.pos() - start;
        m_steps.push_back(step < kLongStep ? quint8(step) : kLongStep);
        nextPiece(in.pos(), m_ends, piece);
    }
}

// The boundary a string starting at `pos` (not the first) is measured against: the piece
// holding it, as the scan left it.
qsizetype SharedStrings::pieceAt(qint64 pos) const
{
    const auto after = std::upper_bound(m_ends.begin(), m_ends.end(), pos);
    return std::min<qsizetype>(after - m_ends.begin(), qsizetype(m_ends.size()) - 1);
}

QString SharedStrings::at(qsizetype index) const
{
    if (index < 0 || index >= m_count)
        return {};
    const qsizetype first = index - index % kStride;
    const Mark& mark = m_marks[size_t(index / kStride)];
    Cursor in(m_pieces, m_ends);
    qint64 pos = mark.pos;
    for (qsizetype i = first; i < index; ++i) {
        const quint8 step = m_steps[size_t(i)];
        if (step != kLongStep) {
            pos += step;
            continue;
        }
        in.seek(pos);
        qsizetype piece = i == first ? mark.piece : pieceAt(pos);
        qint64 extra = 0;
        readString(in, m_ends, piece, extra, nullptr);
        in.skip(extra);
        pos = in.pos();
    }
    qsizetype piece = index == first ? mark.piece : pieceAt(pos);
    QString text;
    if (wholeInPiece(pos, piece, &text))
        return text;
    in.seek(pos);
    qint64 extra = 0;
    readString(in, m_ends, piece, extra, &text);
    return text;
}

// Most strings lie whole inside one piece: read straight from its bytes. False for one that
// the cursor must read (one running into the next piece, or not starting in `piece`).
bool SharedStrings::wholeInPiece(qint64 pos, qsizetype piece, QString* text) const
{
    if (piece < 0 || piece >= qsizetype(m_pieces.size()))
        return false;
    const QByteArrayView bytes = m_pieces[size_t(piece)];
    const qint64 start = m_ends[size_t(piece)] - bytes.size();
    qint64 at = pos - start;
    if (at < 0 || at + 3 > bytes.size())
        return false;
    const auto* p = reinterpret_cast<const quint8*>(bytes.data());
    const qint64 count = p[at] | (p[at + 1] << 8);
    const quint8 options = p[at + 2];
    at += 3 + ((options & 0x08) ? 2 : 0) + ((options & 0x04) ? 4 : 0);
    const int width = (options & 0x01) ? 2 : 1;
    if (at + count * width > bytes.size())
        return false;
    if (count > 0)
        *text = decode(bytes.sliced(at, count * width), width);
    return true;
}
