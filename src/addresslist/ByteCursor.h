#pragma once

#include <QByteArrayView>

#include <bit>
#include <cstdint>
#include <cstring>

// Reads little-endian fields from a span of bytes without ever leaving it. A read past the end
// yields zero (or the bytes that are there), moves to the end and marks the cursor short, so
// a truncated or hostile record can be recognised after its fields have been read.
class ByteCursor
{
public:
    ByteCursor() = default;
    explicit ByteCursor(QByteArrayView bytes) : m_bytes(bytes) {}

    qsizetype pos() const { return m_pos; }
    qsizetype size() const { return m_bytes.size(); }
    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    // False once any read or skip wanted more bytes than were left.
    bool ok() const { return !m_short; }

    void seek(qsizetype pos) { m_pos = pos < 0 ? 0 : (pos > size() ? size() : pos); }

    quint8 u8() { return quint8(fixed(1)); }
    quint16 u16() { return quint16(fixed(2)); }
    qint16 i16() { return qint16(u16()); }
    quint32 u32() { return quint32(fixed(4)); }
    double f64() { return std::bit_cast<double>(fixed(8)); }

    // The next 16-bit word without moving; false when fewer than two bytes are left.
    bool peekU16(quint16* value) const
    {
        if (remaining() < 2)
            return false;
        *value = quint16(byteAt(m_pos) | (byteAt(m_pos + 1) << 8));
        return true;
    }

    // Up to `count` bytes: all of them if present, else what is left (and the cursor is short).
    QByteArrayView bytes(qint64 count)
    {
        const qsizetype n = clampCount(count);
        const QByteArrayView out = m_bytes.sliced(m_pos, n);
        m_pos += n;
        return out;
    }

    // A cursor over the next `count` bytes (or what is left), moving past them.
    ByteCursor take(qint64 count) { return ByteCursor(bytes(count)); }

    void skip(qint64 count) { m_pos += clampCount(count); }

    // The `width` bytes at `p` as a little-endian number, for a caller that has checked they
    // are there. One load where the width is known: millions of cell fields go through here.
    static quint64 littleEndian(const char* p, int width)
    {
        quint64 value = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, p, size_t(width));
        } else {
            for (int i = width - 1; i >= 0; --i)
                value = (value << 8) | quint8(p[i]);
        }
        return value;
    }

private:
    quint8 byteAt(qsizetype i) const { return quint8(m_bytes[i]); }

    qsizetype clampCount(qint64 count)
    {
        if (count < 0)
            count = 0;
        if (count > remaining()) {
            m_short = true;
            return remaining();
        }
        return qsizetype(count);
    }

    quint64 fixed(int width)
    {
        if (remaining() < width) {
            m_short = true;
            m_pos = size();
            return 0;
        }
        const quint64 value = littleEndian(m_bytes.data() + m_pos, width);
        m_pos += width;
        return value;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_short = false;
};
