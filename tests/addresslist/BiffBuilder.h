#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <bit>
#include <cstdint>

// Builds workbook byte streams record by record for tests: little-endian fields, each record
// written as its number, its length and its body.
class BiffBuilder
{
public:
    // A record body.
    class Body
    {
    public:
        Body& u8(int v)
        {
            m_bytes.append(char(v & 0xFF));
            return *this;
        }
        Body& u16(int v) { return u8(v).u8(v >> 8); }
        Body& u32(std::uint32_t v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }
        Body& u64(std::uint64_t v) { return u32(std::uint32_t(v)).u32(std::uint32_t(v >> 32)); }
        Body& f64(double v) { return u64(std::bit_cast<std::uint64_t>(v)); }
        Body& bytes(const QByteArray& b)
        {
            m_bytes.append(b);
            return *this;
        }
        Body& utf16(const QString& s)
        {
            for (QChar c : s)
                u16(c.unicode());
            return *this;
        }
        Body& latin1(const QString& s) { return bytes(s.toLatin1()); }
        const QByteArray& data() const { return m_bytes; }

    private:
        QByteArray m_bytes;
    };

    BiffBuilder& record(int number, const Body& body)
    {
        return record(number, body.data(), int(body.data().size()));
    }
    // A record whose length field says `length` whatever the body holds.
    BiffBuilder& record(int number, const QByteArray& body, int length)
    {
        m_bytes.append(Body().u16(number).u16(length).data());
        m_bytes.append(body);
        return *this;
    }
    BiffBuilder& raw(const QByteArray& bytes)
    {
        m_bytes.append(bytes);
        return *this;
    }

    // Common records.
    BiffBuilder& bof(int number, int version, int type)
    {
        Body b;
        b.u16(version).u16(type);
        if (number == 0x0809)
            b.u32(0).u32(0).u32(0);
        return record(number, b);
    }
    BiffBuilder& bof8(int type) { return bof(0x0809, 0x0600, type); }
    BiffBuilder& bof5(int type) { return bof(0x0809, 0x0500, type); }
    BiffBuilder& eof() { return record(0x000A, Body()); }
    BiffBuilder& codePage(int cp) { return record(0x0042, Body().u16(cp)); }
    BiffBuilder& number(int row, int col, double v)
    {
        return record(0x0203, Body().u16(row).u16(col).u16(15).f64(v));
    }
    BiffBuilder& rk(int row, int col, std::uint32_t v)
    {
        return record(0x027E, Body().u16(row).u16(col).u16(15).u32(v));
    }
    // A BIFF8 LABEL holding a UTF-16 text.
    BiffBuilder& label8(int row, int col, const QString& text)
    {
        return record(0x0204,
                      Body().u16(row).u16(col).u16(15).u16(int(text.size())).u8(1).utf16(text));
    }
    BiffBuilder& labelSst(int row, int col, std::uint32_t index)
    {
        return record(0x00FD, Body().u16(row).u16(col).u16(15).u32(index));
    }
    // A BIFF8 worksheet entry (type 0) or other sheet (chart 2) with a UTF-16 name.
    BiffBuilder& boundSheet8(const QString& name, int type = 0)
    {
        return record(0x0085, Body().u32(0).u8(0).u8(type).u8(int(name.size())).u8(1).utf16(name));
    }
    // A BIFF8 FORMULA whose 8 result bytes are given.
    BiffBuilder& formula8(int row, int col, std::uint64_t result)
    {
        return record(0x0006, Body().u16(row).u16(col).u16(15).u64(result).u16(0).u32(0).u16(0));
    }
    // A formula result that is not a number: type byte, value byte, then 0xFFFF at the end.
    static std::uint64_t nonNumber(int type, int value = 0)
    {
        return std::uint64_t(type) | (std::uint64_t(value) << 16) | (0xFFFFull << 48);
    }

    const QByteArray& bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

// A workbook of one sheet "住所録" holding `rows` as text cells from A1; an empty text leaves the
// cell out, as a spreadsheet program does.
inline QByteArray OneSheetWorkbook(const QList<QStringList>& rows)
{
    BiffBuilder b;
    b.bof8(0x0005).boundSheet8(QStringLiteral("住所録")).eof();
    b.bof8(0x0010);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].isEmpty())
                b.label8(r, c, rows[r][c]);
    b.eof();
    return b.bytes();
}
