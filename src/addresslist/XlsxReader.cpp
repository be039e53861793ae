#include "addresslist/XlsxReader.h"

#include "addresslist/BiffNumbers.h"
#include "addresslist/NumberFormat.h"
#include "addresslist/XBiffError.h"
#include "addresslist/ZipArchive.h"
#include "addresslist/ZipXmlStream.h"

#include <QFile>

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

// "AB12" → column 27, row 11 (0-based); false when it is not a cell reference.
bool parseReference(QStringView ref, int* row, int* col)
{
    qsizetype i = 0;
    qint64 c = 0;
    while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 0x80) {
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        if (c > MaxColumn + 1)
            return false;
        ++i;
    }
    qint64 r = 0;
    const qsizetype digits = i;
    while (i < ref.size() && ref[i] >= u'0' && ref[i] <= u'9') {
        r = r * 10 + (ref[i].unicode() - '0');
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

bool XlsxReader::readSheet(const ZipArchive& zip, int sheetNo, const QString& part)
{
    ZipXmlStream in(zip, part);
    if (!in.found()) {
        m_damaged = true;
        return true;
    }
    const qint64 before = m_done;
    in.onConsumed = [this, before](qint64 n) {
        m_done = before + n;
        progress(int(qMin<qint64>(100, m_done * 100 / m_total)));
    };
    int row = -1;
    int col = -1;
    while (in.next()) {
        const QXmlStreamReader::TokenType token = in.xml().tokenType();
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = in.xml().name();
        const QXmlStreamAttributes a = in.xml().attributes();
        if (name == u"row") {
            bool ok = false;
            const int r = a.value(QLatin1StringView("r")).toInt(&ok);
            row = ok && r >= 1 && r <= MaxRow + 1 ? r - 1 : row + 1;
            col = -1;
            continue;
        }
        if (name == u"col" && OnReadColW) {
            const int first = a.value(QLatin1StringView("min")).toInt();
            const int last = qMin(a.value(QLatin1StringView("max")).toInt(), LastWidthColumn + 1);
            bool ok = false;
            const double width = a.value(QLatin1StringView("width")).toDouble(&ok);
            if (ok && width >= 0 && width < 65536.0 / 256)
                for (int c = qMax(first, 1); c <= last; ++c)
                    OnReadColW(sheetNo, c - 1, int(width * 256));
            continue;
        }
        if (name != u"c")
            continue;
        int r = row, c = col + 1;
        if (!a.hasAttribute(QLatin1StringView("r")) ||
            !parseReference(a.value(QLatin1StringView("r")), &r, &c)) {
            r = qMax(row, 0);
            c = col + 1;
        }
        row = r;
        col = c;
        const QString type = a.value(QLatin1StringView("t")).toString();
        const int style = a.value(QLatin1StringView("s")).toInt();
        // The cell's value, its inline string or nothing.
        bool has = false;
        QString value;
        int depth = 1;
        while (depth > 0) {
            const QXmlStreamReader::TokenType t = in.readNext();
            if (t == QXmlStreamReader::Invalid)
                break;
            if (t == QXmlStreamReader::EndElement) {
                --depth;
            } else if (t == QXmlStreamReader::StartElement) {
                const QStringView child = in.xml().name();
                if (child == u"v") {
                    value = in.elementText(1 << 20);
                    has = true;
                } else if (child == u"is") {
                    value = stringItem(in, 1 << 20);
                    has = true;
                } else {
                    ++depth;
                }
            }
        }
        if (!has || row > MaxRow || col > MaxColumn)
            continue;
        QString text;
        if (type == u"s") {
            bool ok = false;
            const qsizetype index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_sharedStrings.size())
                continue;
            if (!cell(sheetNo, row, col, m_sharedStrings[index], index))
                return false;
            continue;
        } else if (type == u"b") {
            text = value.trimmed() == u"1" ||
                           value.trimmed().compare(u"true", Qt::CaseInsensitive) == 0
                       ? QStringLiteral("TRUE")
                       : QStringLiteral("FALSE");
        } else if (type == u"str" || type == u"inlineStr") {
            text = type == u"str" ? decodeEscapes(value) : value;
        } else if (type == u"e" || type == u"d") {
            text = value;
        } else {
            text = numberText(value.trimmed(), style);
        }
        if (!cell(sheetNo, row, col, text))
            return false;
    }
    if (in.damaged())
        m_damaged = true;
    return true;
}
