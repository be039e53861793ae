#pragma once

#include "addresslist/ZipArchive.h"

#include <QXmlStreamReader>

#include <functional>
#include <memory>

// One XML part of a zip container, parsed as its bytes come out of the archive: the part is
// never held whole, so a sheet of any size costs the same memory.
class ZipXmlStream
{
public:
    ZipXmlStream(const ZipArchive& zip, const QString& name);

    // The part exists and could be opened.
    bool found() const { return m_entry != nullptr; }
    // The next token; Invalid at the end of the part and when it is broken (damaged()).
    QXmlStreamReader::TokenType readNext();
    // readNext() until the end: false at the end of the document and when it is broken.
    bool next()
    {
        const QXmlStreamReader::TokenType token = readNext();
        return token != QXmlStreamReader::Invalid && token != QXmlStreamReader::EndDocument;
    }
    QXmlStreamReader& xml() { return m_xml; }
    // The part was cut, is not well-formed, or its data is broken or over the bounds.
    bool damaged() const { return m_damaged; }
    // Bytes taken out of the archive so far.
    qint64 consumed() const { return m_consumed; }
    // Called after each piece read, with consumed().
    std::function<void(qint64)> onConsumed;

    // The text of the current element up to its end, only the character data of its own
    // element and of children; at most `limit` characters are kept.
    QString elementText(qsizetype limit);

private:
    std::unique_ptr<ZipArchive::Entry> m_entry;
    QXmlStreamReader m_xml;
    qint64 m_consumed = 0;
    bool m_eof = false;
    bool m_damaged = false;
};
