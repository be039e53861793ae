#include "addresslist/XlsxReader.h"

#include "addresslist/BiffNumbers.h"
#include "addresslist/NumberFormat.h"
#include "addresslist/XBiffError.h"
#include "addresslist/ZipArchive.h"
#include "addresslist/ZipXmlStream.h"

#include <QFile>

#include <expat.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr qint64 MaxSmallPart = qint64(16) << 20;
// Column widths past this are not reported (a writer's default style runs to column 16384).
constexpr int LastWidthColumn = 1023;
constexpr int MaxRow = 1048575;
constexpr int MaxColumn = 16383;

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.first(slash + 1);
}

// A relationship target resolved against its source's folder; empty when it leaves the
// package.
QString resolve(const QString& base, QString target)
{
    target.replace(u'\\', u'/');
    QString path = target.startsWith(u'/') ? target.mid(1) : base + target;
    QStringList out;
    for (const QString& segment : path.split(u'/')) {
        if (segment.isEmpty() || segment == u".")
            continue;
        if (segment == u"..") {
            if (out.isEmpty())
                return {};
            out.removeLast();
            continue;
        }
        out << segment;
    }
    return out.join(u'/');
}

QString typeName(QStringView type)
{
    return type.mid(type.lastIndexOf(u'/') + 1).toString();
}

// "_x000D_" and the like stand for characters XML cannot carry.
QString decodeEscapes(QString text)
{
    qsizetype i = text.indexOf(QStringLiteral("_x"));
    while (i >= 0 && i + 7 <= text.size()) {
        bool ok = false;
        const uint code = text.sliced(i + 2, 4).toUInt(&ok, 16);
        if (ok && text[i + 6] == u'_') {
            text.replace(i, 7, QChar(char16_t(code)));
            i = text.indexOf(QStringLiteral("_x"), i + 1);
        } else {
            i = text.indexOf(QStringLiteral("_x"), i + 2);
        }
    }
    return text;
}

// "AB12" (UTF-8) → column 27, row 11 (0-based); false when it is not a cell reference.
bool parseReference(std::string_view ref, int* row, int* col)
{
    const auto isLetter = [](char ch) {
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
    };
    size_t i = 0;
    qint64 c = 0;
    while (i < ref.size() && isLetter(ref[i])) {
        c = c * 26 + ((ref[i] & ~0x20) - 'A' + 1);
        if (c > MaxColumn + 1)
            return false;
        ++i;
    }
    qint64 r = 0;
    const size_t digits = i;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9') {
        r = r * 10 + (ref[i] - '0');
        if (r > MaxRow + 1)
            return false;
        ++i;
    }
    if (c == 0 || i == digits || i != ref.size() || r == 0)
        return false;
    *row = int(r - 1);
    *col = int(c - 1);
    return true;
}

// The text of a string item (<si> or <is>): its <t> texts, rich-text runs joined, phonetic
// runs (<rPh>) left out.
QString stringItem(ZipXmlStream& in, qsizetype limit)
{
    QString text;
    int depth = 1;
    int phonetic = 0;
    int inText = 0;
    while (depth > 0) {
        switch (in.readNext()) {
        case QXmlStreamReader::StartElement: {
            ++depth;
            const QStringView name = in.xml().name();
            if (name == u"rPh")
                ++phonetic;
            else if (name == u"t")
                ++inText;
            break;
        }
        case QXmlStreamReader::EndElement: {
            --depth;
            const QStringView name = in.xml().name();
            if (name == u"rPh")
                --phonetic;
            else if (name == u"t")
                --inText;
            break;
        }
        case QXmlStreamReader::Characters:
            if (inText > 0 && phonetic == 0 && text.size() < limit)
                text += in.xml().text().left(limit - text.size());
            break;
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::EndDocument:
            return decodeEscapes(text);
        default:
            break;
        }
    }
    return decodeEscapes(text);
}

// Excel's built-in format 49 is text; the others that matter here are always written out.
QString builtinFormat(int id)
{
    return id == 49 ? QStringLiteral("@") : QString();
}

} // namespace

bool XlsxReader::isXlsx(const ZipArchive& zip)
{
    return zip.contains(QStringLiteral("[Content_Types].xml")) &&
           (zip.contains(QStringLiteral("_rels/.rels")) ||
            zip.contains(QStringLiteral("xl/workbook.xml")));
}

void XlsxReader::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw XBiffError(XBiffError::openFailed());
    run(file.readAll());
}

void XlsxReader::LoadFromBytes(const QByteArray& bytes)
{
    run(bytes);
}

QHash<QString, std::pair<QString, QString>> XlsxReader::relationships(const ZipArchive& zip,
                                                                      const QString& part)
{
    QHash<QString, std::pair<QString, QString>> out;
    const QString rels = folderOf(part) + QStringLiteral("_rels/") +
                         part.mid(part.lastIndexOf(u'/') + 1) + QStringLiteral(".rels");
    ZipXmlStream in(zip, rels);
    const QString base = folderOf(part);
    while (in.next()) {
        const QXmlStreamReader::TokenType token = in.xml().tokenType();
        if (token != QXmlStreamReader::StartElement || in.xml().name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = in.xml().attributes();
        if (a.value(QLatin1StringView("TargetMode")) == u"External")
            continue;
        out.insert(a.value(QLatin1StringView("Id")).toString(),
                   {typeName(a.value(QLatin1StringView("Type"))),
                    resolve(base, a.value(QLatin1StringView("Target")).toString())});
        if (in.consumed() > MaxSmallPart)
            break;
    }
    if (in.damaged())
        m_damaged = true;
    return out;
}

void XlsxReader::run(const QByteArray& bytes)
{
    begin();
    m_sharedStrings.clear();
    m_styleFormats.clear();
    m_done = 0;
    ZipArchive zip(bytes);
    if (!zip.isOpen() || !isXlsx(zip))
        throw XBiffError(XBiffError::openFailed());

    QString workbook;
    for (const auto& [type, target] : relationships(zip, QString()))
        if (type == u"officeDocument" && zip.contains(target))
            workbook = target;
    if (workbook.isEmpty())
        workbook = QStringLiteral("xl/workbook.xml");
    if (!zip.contains(workbook))
        throw XBiffError(XBiffError::openFailed());

    const auto rels = relationships(zip, workbook);
    QList<Sheet> sheets;
    {
        ZipXmlStream in(zip, workbook);
        while (in.next()) {
            const QXmlStreamReader::TokenType token = in.xml().tokenType();
            if (token != QXmlStreamReader::StartElement || in.xml().name() != u"sheet")
                continue;
            QString id;
            for (const QXmlStreamAttribute& a : in.xml().attributes())
                if (a.name() == u"id")
                    id = a.value().toString();
            const auto rel = rels.value(id);
            // Chart, dialog and macro sheets have no cells to list.
            if (rel.first == u"worksheet")
                sheets << Sheet{in.xml().attributes().value(QLatin1StringView("name")).toString(),
                                rel.second};
            if (in.consumed() > MaxSmallPart)
                break;
        }
        if (in.damaged())
            m_damaged = true;
    }

    QString styles, strings;
    for (const auto& [type, target] : rels) {
        if (type == u"styles")
            styles = target;
        else if (type == u"sharedStrings")
            strings = target;
    }
    m_total = 1 + zip.declaredSize(strings);
    for (const Sheet& sheet : sheets)
        m_total += zip.declaredSize(sheet.part);

    for (const Sheet& sheet : sheets)
        if (OnReadSheetName)
            OnReadSheetName(sheet.name);
    if (!styles.isEmpty())
        readStyles(zip, styles);
    if (!strings.isEmpty())
        readSharedStrings(zip, strings);
    for (int i = 0; i < sheets.size(); ++i)
        if (!readSheet(zip, i + 1, sheets[i].part))
            break;
    m_sharedStrings.clear();
    end();
}

void XlsxReader::readStyles(const ZipArchive& zip, const QString& part)
{
    QHash<int, QString> formats;
    ZipXmlStream in(zip, part);
    bool inCellXfs = false;
    while (in.next() && in.consumed() <= MaxSmallPart) {
        const QXmlStreamReader::TokenType token = in.xml().tokenType();
        const QStringView name = in.xml().name();
        if (token == QXmlStreamReader::EndElement && name == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = in.xml().attributes();
        if (name == u"numFmt") {
            formats.insert(a.value(QLatin1StringView("numFmtId")).toInt(),
                           a.value(QLatin1StringView("formatCode")).toString());
        } else if (name == u"cellXfs") {
            inCellXfs = true;
        } else if (name == u"xf" && inCellXfs && m_styleFormats.size() < 65536) {
            const int id = a.value(QLatin1StringView("numFmtId")).toInt();
            m_styleFormats << formats.value(id, builtinFormat(id));
        }
    }
    if (in.damaged())
        m_damaged = true;
}

void XlsxReader::readSharedStrings(const ZipArchive& zip, const QString& part)
{
    ZipXmlStream in(zip, part);
    const qint64 before = m_done;
    in.onConsumed = [this, before](qint64 n) {
        m_done = before + n;
        progress(int(qMin<qint64>(100, m_done * 100 / m_total)));
    };
    qint64 budget = MaxSharedStringUnits;
    while (in.next()) {
        const QXmlStreamReader::TokenType token = in.xml().tokenType();
        if (token != QXmlStreamReader::StartElement || in.xml().name() != u"si")
            continue;
        QString text = stringItem(in, qsizetype(budget));
        budget -= text.size() + 16;
        m_sharedStrings << std::move(text);
        if (budget <= 0) {
            m_damaged = true; // the rest of the table is not kept
            break;
        }
    }
    if (in.damaged())
        m_damaged = true;
}

QString XlsxReader::numberText(const QString& value, int style) const
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value;
    if (style > 0 && style < m_styleFormats.size())
        if (const std::optional<QString> text =
                numberformat::addressText(m_styleFormats[style], number))
            return *text;
    return biffnumbers::formatGeneral(number);
}

// A worksheet part through expat: the parts of a big workbook are tens of megabytes of small
// elements, and expat tokenizes them several times faster than QXmlStreamReader. Names are
// compared without their namespace, as the other parts' reader does; an unbound prefix, like
// any broken markup, ends the part as damaged after the cells before it.
class XlsxReader::SheetParse
{
public:
    SheetParse(XlsxReader& owner, int sheetNo) : m_owner(owner), m_sheetNo(sheetNo)
    {
        m_parser = XML_ParserCreateNS(nullptr, NamespaceSeparator);
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &SheetParse::start, &SheetParse::end);
        XML_SetCharacterDataHandler(m_parser, &SheetParse::characters);
    }
    ~SheetParse() { XML_ParserFree(m_parser); }
    SheetParse(const SheetParse&) = delete;
    SheetParse& operator=(const SheetParse&) = delete;

    // Feeds the part's bytes; false once the markup is broken or a handler stopped the read.
    bool feed(const char* bytes, int size, bool last)
    {
        if (XML_Parse(m_parser, bytes, size, last) == XML_STATUS_OK)
            return true;
        if (!m_stopped) {
            m_owner.m_damaged = true;
            // A cell broken off inside its value or inline string keeps what was read of it.
            if (m_valueDepth > 0 || m_inlineDepth > 0) {
                m_has = true;
                m_isInline = m_inlineDepth > 0;
            }
            if (m_cellDepth > 0)
                cellEnd();
        }
        return false;
    }
    bool stopped() const { return m_stopped; }

private:
    static constexpr XML_Char NamespaceSeparator = '\x01';
    static constexpr qsizetype MaxValue = 1 << 20;

    static std::string_view localName(const XML_Char* name)
    {
        const std::string_view full(name);
        const size_t separator = full.rfind(NamespaceSeparator);
        return separator == std::string_view::npos ? full : full.substr(separator + 1);
    }
    // An attribute without a namespace (as the other reader matches them by their name).
    static const XML_Char* attribute(const XML_Char** attributes, std::string_view name)
    {
        for (; attributes[0]; attributes += 2)
            if (name == attributes[0])
                return attributes[1];
        return nullptr;
    }

    // An attribute's number as QString::toInt reads it; plain digits without a conversion.
    static int toInt(const XML_Char* text, bool* ok = nullptr)
    {
        int value = 0;
        int i = 0;
        for (; i < 9 && text[i] >= '0' && text[i] <= '9'; ++i)
            value = value * 10 + (text[i] - '0');
        if (i > 0 && text[i] == 0) {
            if (ok)
                *ok = true;
            return value;
        }
        return QString::fromUtf8(text).toInt(ok);
    }

    static void XMLCALL start(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<SheetParse*>(data)->startElement(localName(name), attributes);
    }
    static void XMLCALL end(void* data, const XML_Char* name)
    {
        static_cast<SheetParse*>(data)->endElement(localName(name));
    }
    static void XMLCALL characters(void* data, const XML_Char* text, int length)
    {
        SheetParse& self = *static_cast<SheetParse*>(data);
        // Only the character data of a value, or of an inline string's texts outside its
        // phonetic runs, is kept.
        std::string* into = nullptr;
        if (self.m_valueDepth > 0)
            into = &self.m_value;
        else if (self.m_textDepth > 0 && self.m_phonetic == 0)
            into = &self.m_inline;
        if (into && into->size() < size_t(4 * MaxValue))
            into->append(text, size_t(length));
    }

    void startElement(std::string_view name, const XML_Char** attributes)
    {
        if (m_cellDepth > 0) {
            ++m_cellDepth;
            if (m_valueDepth > 0) {
                ++m_valueDepth;
            } else if (m_inlineDepth > 0) {
                ++m_inlineDepth;
                if (name == "rPh")
                    ++m_phonetic;
                else if (name == "t")
                    ++m_textDepth;
            } else if (name == "v") {
                m_value.clear();
                m_valueDepth = 1;
                m_isInline = false;
            } else if (name == "is") {
                m_inline.clear();
                m_inlineDepth = 1;
                m_phonetic = 0;
                m_textDepth = 0;
            }
            return;
        }
        if (name == "row") {
            const XML_Char* r = attribute(attributes, "r");
            bool ok = false;
            const int number = r ? toInt(r, &ok) : 0;
            m_row = ok && number >= 1 && number <= MaxRow + 1 ? number - 1 : m_row + 1;
            m_col = -1;
        } else if (name == "col") {
            if (m_owner.OnReadColW)
                columnWidths(attributes);
        } else if (name == "c") {
            int r = m_row, c = m_col + 1;
            const XML_Char* reference = attribute(attributes, "r");
            if (!reference || !parseReference(reference, &r, &c)) {
                r = qMax(m_row, 0);
                c = m_col + 1;
            }
            m_row = r;
            m_col = c;
            const XML_Char* type = attribute(attributes, "t");
            m_type = type ? type : "";
            const XML_Char* style = attribute(attributes, "s");
            m_style = style ? toInt(style) : 0;
            m_has = false;
            m_cellDepth = 1;
        }
    }

    void columnWidths(const XML_Char** attributes)
    {
        const auto number = [&](const char* name) {
            const XML_Char* value = attribute(attributes, name);
            return value ? toInt(value) : 0;
        };
        const int first = number("min");
        const int last = qMin(number("max"), LastWidthColumn + 1);
        bool ok = false;
        const XML_Char* text = attribute(attributes, "width");
        const double width = text ? QString::fromUtf8(text).toDouble(&ok) : 0;
        if (ok && width >= 0 && width < 65536.0 / 256)
            for (int c = qMax(first, 1); c <= last; ++c)
                m_owner.OnReadColW(m_sheetNo, c - 1, int(width * 256));
    }

    void endElement(std::string_view name)
    {
        if (m_cellDepth == 0)
            return;
        if (m_valueDepth > 0 && --m_valueDepth == 0) {
            m_has = true;
            m_isInline = false;
        } else if (m_inlineDepth > 0) {
            if (name == "rPh")
                --m_phonetic;
            else if (name == "t")
                --m_textDepth;
            if (--m_inlineDepth == 0) {
                m_has = true;
                m_isInline = true;
            }
        }
        if (--m_cellDepth == 0)
            cellEnd();
    }

    void cellEnd()
    {
        if (!m_has || m_row > MaxRow || m_col > MaxColumn)
            return;
        const QString value = m_isInline ? decodeEscapes(QString::fromUtf8(m_inline).left(MaxValue))
                                         : QString::fromUtf8(m_value).left(MaxValue);
        const std::string_view type = m_type;
        QString text;
        if (type == "s") {
            bool ok = false;
            const qsizetype index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_owner.m_sharedStrings.size())
                return;
            if (!m_owner.cell(m_sheetNo, m_row, m_col, m_owner.m_sharedStrings[index], index))
                stop();
            return;
        } else if (type == "b") {
            text = value.trimmed() == u"1" ||
                           value.trimmed().compare(u"true", Qt::CaseInsensitive) == 0
                       ? QStringLiteral("TRUE")
                       : QStringLiteral("FALSE");
        } else if (type == "str" || type == "inlineStr") {
            text = type == "str" ? decodeEscapes(value) : value;
        } else if (type == "e" || type == "d") {
            text = value;
        } else {
            text = m_owner.numberText(value.trimmed(), m_style);
        }
        if (!m_owner.cell(m_sheetNo, m_row, m_col, text))
            stop();
    }

    void stop()
    {
        m_stopped = true;
        XML_StopParser(m_parser, XML_FALSE);
    }

    XlsxReader& m_owner;
    const int m_sheetNo;
    XML_Parser m_parser = nullptr;
    bool m_stopped = false;
    int m_row = -1;
    int m_col = -1;
    // Inside a cell: its depth, what it is, and what its value or inline string holds.
    int m_cellDepth = 0;
    std::string m_type;
    int m_style = 0;
    bool m_has = false;
    bool m_isInline = false;
    int m_valueDepth = 0;
    std::string m_value;
    int m_inlineDepth = 0;
    int m_textDepth = 0;
    int m_phonetic = 0;
    std::string m_inline;
};

bool XlsxReader::readSheet(const ZipArchive& zip, int sheetNo, const QString& part)
{
    const std::unique_ptr<ZipArchive::Entry> entry = zip.open(part);
    if (!entry) {
        m_damaged = true;
        return true;
    }
    SheetParse parse(*this, sheetNo);
    const qint64 before = m_done;
    qint64 consumed = 0;
    std::vector<char> buffer(65536);
    for (;;) {
        const qint64 n = entry->read(buffer.data(), qint64(buffer.size()));
        if (n < 0) {
            m_damaged = true;
            break;
        }
        consumed += n;
        if (n > 0) {
            m_done = before + consumed;
            progress(int(qMin<qint64>(100, m_done * 100 / m_total)));
        }
        if (!parse.feed(buffer.data(), int(n), n == 0))
            break;
        if (n == 0)
            break;
    }
    return !parse.stopped();
}
