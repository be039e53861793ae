#include "addresslist/OdsReader.h"

#include "addresslist/BiffNumbers.h"
#include "addresslist/XBiffError.h"
#include "addresslist/ZipArchive.h"
#include "addresslist/ZipXmlStream.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace {

const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString StyleNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString CalcExtNs =
    QStringLiteral("urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0");

constexpr int MaxRow = 1048575;
constexpr int MaxColumn = 16383;
constexpr int LastWidthColumn = 1023;
constexpr qsizetype MaxCellText = 1 << 20;

int repeat(const QXmlStreamAttributes& a, QLatin1StringView name)
{
    bool ok = false;
    const qint64 n = a.value(TableNs, name).toLongLong(&ok);
    return ok && n > 1 ? int(qMin<qint64>(n, MaxRow + 1)) : 1;
}

// "2.258cm" and the like, in the .xls unit (1/256 of a character, 32 per screen pixel).
std::optional<int> columnWidth(QStringView length)
{
    static const QHash<QString, double> perInch = {{QStringLiteral("in"), 1},
                                                   {QStringLiteral("cm"), 2.54},
                                                   {QStringLiteral("mm"), 25.4},
                                                   {QStringLiteral("pt"), 72},
                                                   {QStringLiteral("pc"), 6}};
    for (auto it = perInch.begin(); it != perInch.end(); ++it) {
        if (!length.endsWith(it.key()))
            continue;
        bool ok = false;
        const double value = length.chopped(2).toDouble(&ok);
        if (!ok || value < 0 || value > 1000)
            return std::nullopt;
        return int(std::lround(value / it.value() * 96 * 32));
    }
    return std::nullopt;
}

// A spreadsheet shows a postal code typed as a number through a zero-padded or hyphenated
// format; the cell's own text then says it.
bool isAddressDigits(const QString& shown, double value)
{
    if (shown.isEmpty() || !(value >= 0 && value < 1e15) || value != std::floor(value))
        return false;
    QString digits;
    for (QChar c : shown) {
        if (c.isDigit() && c.unicode() < 0x80)
            digits += c;
        else if (c != u'-')
            return false;
    }
    bool ok = false;
    return !digits.isEmpty() && digits.toLongLong(&ok) == qint64(value) && ok &&
           shown != QString::number(qint64(value));
}

// "PT12H30M15.5S" as a fraction of a day.
std::optional<double> timeValue(QStringView text)
{
    static const QRegularExpression re(
        QStringLiteral("^(-)?P(?:(\\d+)D)?T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d+)?)S)?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double seconds = m.captured(2).toDouble() * 86400 + m.captured(3).toDouble() * 3600 +
                           m.captured(4).toDouble() * 60 + m.captured(5).toDouble();
    return (m.captured(1).isEmpty() ? 1 : -1) * seconds / 86400;
}

} // namespace

bool OdsReader::isOds(const ZipArchive& zip)
{
    bool ok = false;
    const QByteArray mime = zip.readAll(QStringLiteral("mimetype"), 256, &ok);
    if (ok && mime.startsWith("application/vnd.oasis.opendocument.spreadsheet"))
        return true;
    return !ok && zip.contains(QStringLiteral("content.xml")) &&
           !zip.contains(QStringLiteral("[Content_Types].xml"));
}

void OdsReader::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw XBiffError(XBiffError::openFailed());
    run(file.readAll());
}

void OdsReader::LoadFromBytes(const QByteArray& bytes)
{
    run(bytes);
}

QString OdsReader::serial(QStringView text) const
{
    const QStringView day = text.left(10);
    const QDate date = QDate::fromString(day.toString(), Qt::ISODate);
    if (!date.isValid())
        return text.toString();
    double value = double(m_nullDate.daysTo(date));
    if (text.size() > 11 && text[10] == u'T') {
        const QStringList hms = text.sliced(11).toString().split(u':');
        if (hms.size() == 3)
            value +=
                (hms[0].toDouble() * 3600 + hms[1].toDouble() * 60 + hms[2].toDouble()) / 86400;
    }
    return biffnumbers::formatGeneral(value);
}

std::optional<QString> OdsReader::cellText(ZipXmlStream& in)
{
    const QXmlStreamAttributes a = in.xml().attributes();
    const QStringView type = a.value(OfficeNs, QLatin1StringView("value-type"));
    const bool error = a.value(CalcExtNs, QLatin1StringView("value-type")) == u"error";

    // The paragraphs as shown.
    QString shown;
    int paragraphs = 0;
    int depth = 1;
    int skip = 0; // inside a comment or a ruby reading
    while (depth > 0) {
        const QXmlStreamReader::TokenType token = in.readNext();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
            break;
        const QStringView name = in.xml().name();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (name == u"annotation" || name == u"ruby-text" || name == u"note-citation")
                ++skip;
            if (skip)
                continue;
            if (name == u"p" || name == u"h") {
                if (paragraphs++ > 0)
                    shown += u'\n';
            } else if (name == u"s") {
                bool ok = false;
                const int n =
                    in.xml().attributes().value(TextNs, QLatin1StringView("c")).toInt(&ok);
                shown += QString(ok ? qBound(1, n, 1024) : 1, u' ');
            } else if (name == u"tab") {
                shown += u'\t';
            } else if (name == u"line-break") {
                shown += u'\n';
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
            if (name == u"annotation" || name == u"ruby-text" || name == u"note-citation")
                --skip;
        } else if (token == QXmlStreamReader::Characters && !skip && shown.size() < MaxCellText) {
            shown += in.xml().text().left(MaxCellText - shown.size());
        }
    }

    if (error)
        return shown;
    if (type == u"float" || type == u"percentage" || type == u"currency") {
        bool ok = false;
        const double value = a.value(OfficeNs, QLatin1StringView("value")).toDouble(&ok);
        if (!ok)
            return shown;
        if (isAddressDigits(shown, value))
            return shown;
        return biffnumbers::formatGeneral(value);
    }
    if (type == u"date")
        return serial(a.value(OfficeNs, QLatin1StringView("date-value")));
    if (type == u"time") {
        if (const std::optional<double> value =
                timeValue(a.value(OfficeNs, QLatin1StringView("time-value"))))
            return biffnumbers::formatGeneral(*value);
        return shown;
    }
    if (type == u"boolean") {
        const QStringView value = a.value(OfficeNs, QLatin1StringView("boolean-value"));
        return value == u"true" || value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    }
    if (type == u"string") {
        if (!a.value(OfficeNs, QLatin1StringView("string-value")).isNull())
            return a.value(OfficeNs, QLatin1StringView("string-value")).toString();
        return shown;
    }
    if (type.isEmpty() && !shown.isEmpty() && paragraphs > 0)
        return shown; // a writer that leaves out the type of a text cell
    return std::nullopt;
}

void OdsReader::run(const QByteArray& bytes)
{
    begin();
    m_nullDate = QDate(1899, 12, 30);
    ZipArchive zip(bytes);
    if (!zip.isOpen() || !isOds(zip))
        throw XBiffError(XBiffError::openFailed());
    const QString part = QStringLiteral("content.xml");
    ZipXmlStream in(zip, part);
    if (!in.found())
        throw XBiffError(XBiffError::openFailed());
    const qint64 total = qMax<qint64>(1, zip.declaredSize(part));
    in.onConsumed = [this, total](qint64 n) { progress(int(qMin<qint64>(100, n * 100 / total))); };

    QHash<QString, int> columnStyles; // automatic column style → width
    QString styleName;
    int sheetNo = 0;
    int row = 0;
    int col = 0;
    int widthColumn = 0;
    qint64 repeatedBudget = MaxRepeatedCells;
    QList<std::pair<int, QString>> rowCells; // the current row's cells: column, text
    int rowRepeat = 1;
    bool stop = false;

    while (!stop && in.next()) {
        const QXmlStreamReader::TokenType token = in.xml().tokenType();
        const QStringView name = in.xml().name();
        if (token == QXmlStreamReader::EndElement) {
            if (name == u"table-row" && sheetNo > 0) {
                // Cells of a repeated row are reported once per repeat, within the budget.
                for (int r = 0; r < rowRepeat && !stop && row + r <= MaxRow; ++r) {
                    if (r > 0 && (repeatedBudget -= rowCells.size()) < 0)
                        break;
                    for (const auto& [c, text] : rowCells)
                        if (!cell(sheetNo, row + r, c, text)) {
                            stop = true;
                            break;
                        }
                }
                row += rowRepeat;
                rowCells.clear();
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = in.xml().attributes();
        if (name == u"style" && a.value(StyleNs, QLatin1StringView("family")) == u"table-column") {
            styleName = a.value(StyleNs, QLatin1StringView("name")).toString();
        } else if (name == u"table-column-properties" && !styleName.isEmpty()) {
            if (const std::optional<int> w =
                    columnWidth(a.value(StyleNs, QLatin1StringView("column-width"))))
                columnStyles.insert(styleName, *w);
        } else if (name == u"null-date") {
            const QDate date = QDate::fromString(
                a.value(TableNs, QLatin1StringView("date-value")).toString(), Qt::ISODate);
            if (date.isValid())
                m_nullDate = date;
        } else if (name == u"table") {
            ++sheetNo;
            row = 0;
            widthColumn = 0;
            if (OnReadSheetName)
                OnReadSheetName(a.value(TableNs, QLatin1StringView("name")).toString());
        } else if (name == u"table-column" && sheetNo > 0) {
            const int n = repeat(a, QLatin1StringView("number-columns-repeated"));
            const auto width =
                columnStyles.find(a.value(TableNs, QLatin1StringView("style-name")).toString());
            if (width != columnStyles.end() && OnReadColW)
                for (int c = widthColumn; c < widthColumn + n && c <= LastWidthColumn; ++c)
                    OnReadColW(sheetNo, c, *width);
            widthColumn = int(qMin<qint64>(qint64(widthColumn) + n, MaxColumn + 1));
        } else if (name == u"table-row" && sheetNo > 0) {
            rowRepeat = repeat(a, QLatin1StringView("number-rows-repeated"));
            col = 0;
            rowCells.clear();
        } else if ((name == u"table-cell" || name == u"covered-table-cell") && sheetNo > 0) {
            const int n = repeat(a, QLatin1StringView("number-columns-repeated"));
            // A merged range's value is in its first cell; the covered ones are left out.
            const std::optional<QString> text =
                name == u"table-cell" ? cellText(in) : (in.elementText(0), std::nullopt);
            if (text && row <= MaxRow)
                for (int c = col; c < col + n && c <= MaxColumn; ++c) {
                    if (c > col && --repeatedBudget < 0)
                        break;
                    rowCells.append({c, *text});
                }
            col = int(qMin<qint64>(qint64(col) + n, MaxColumn + 1));
        }
    }
    if (in.damaged())
        m_damaged = true;
    end();
}
