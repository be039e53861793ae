#include "addresslist/ZipXmlStream.h"

ZipXmlStream::ZipXmlStream(const ZipArchive& zip, const QString& name) : m_entry(zip.open(name))
{
    m_xml.setNamespaceProcessing(true);
}

QXmlStreamReader::TokenType ZipXmlStream::readNext()
{
    if (!m_entry)
        return QXmlStreamReader::Invalid;
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token != QXmlStreamReader::Invalid)
            return token;
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_eof) {
            if (m_xml.error() != QXmlStreamReader::NoError)
                m_damaged = true;
            return token;
        }
        char buffer[65536];
        const qint64 n = m_entry->read(buffer, sizeof buffer);
        if (n < 0) {
            m_damaged = true;
            m_eof = true;
            return QXmlStreamReader::Invalid;
        }
        if (n == 0) {
            m_eof = true;
            m_damaged = true; // the document was not finished
            return QXmlStreamReader::Invalid;
        }
        m_consumed += n;
        m_xml.addData(QByteArray(buffer, n));
        if (onConsumed)
            onConsumed(m_consumed);
    }
}

QString ZipXmlStream::elementText(qsizetype limit)
{
    QString text;
    int depth = 1;
    while (depth > 0) {
        switch (readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (text.size() < limit)
                text += m_xml.text().left(limit - text.size());
            break;
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::EndDocument:
            return text;
        default:
            break;
        }
    }
    return text;
}
