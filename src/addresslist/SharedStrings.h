#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

// The shared-string table of a BIFF8 workbook, kept as places in the workbook stream rather
// than as strings: a table of millions of strings costs a byte a string and a few bytes per
// sixteen, and a string is decoded only when a kept cell asks for it.
//
// The table is the SST body and its CONTINUE bodies read as one run of bytes. A string whose
// characters reach the end of a piece goes on in the next one after a fresh option byte.
class SharedStrings
{
public:
    // Scans the pieces (views that must outlive this object) and marks where strings start.
    void read(std::vector<QByteArrayView> pieces);
    void clear();

    // Strings read whole; a string cut short ends the table.
    qsizetype size() const { return m_count; }
    QString at(qsizetype index) const;
    // The table ended inside a string, its formatting runs or its two counts.
    bool cutShort() const { return m_cutShort; }

private:
    class Cursor;
    struct Mark
    {
        qint64 pos = 0;
        qsizetype piece = 0; // the piece boundary the next string is measured against
    };
    static constexpr qsizetype kStride = 16;
    // A string this many bytes long or longer (with its extra data) is measured again.
    static constexpr quint8 kLongStep = 0xFF;

    qsizetype pieceAt(qint64 pos) const;
    bool wholeInPiece(qint64 pos, qsizetype piece, QString* text) const;

    std::vector<QByteArrayView> m_pieces;
    std::vector<qint64> m_ends; // running end of each piece
    std::vector<Mark> m_marks;  // where strings 0, 16, 32 ... start
    // Bytes from each string's start to the next one's, or kLongStep: a lookup adds up to 15
    // of them instead of reading the strings before it.
    std::vector<quint8> m_steps;
    qsizetype m_count = 0;
    bool m_cutShort = false;
};
