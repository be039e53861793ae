#include "addresslist/VCardReader.h"

#include "addresslist/HeaderColumns.h"
#include "addresslist/XBiffError.h"
#include "common/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <optional>

namespace {

// Contacts beyond this many are not listed; a file of that size is no address book.
constexpr int MaxContacts = 1000000;

struct Property
{
    QByteArray name;          // upper case, without its group
    QList<QByteArray> params; // upper case, "TYPE=HOME" or bare "HOME"
    QByteArray value;         // as stored, quoted-printable already decoded
};

QByteArray paramValue(const Property& p, const QByteArray& key)
{
    for (const QByteArray& param : p.params)
        if (param.startsWith(key + '='))
            return param.mid(key.size() + 1);
    return {};
}

bool hasType(const Property& p, const QByteArray& type)
{
    for (const QByteArray& param : p.params) {
        QByteArray list = param.startsWith("TYPE=") ? param.mid(5) : param;
        list.replace('"', "");
        for (const QByteArray& t : list.split(','))
            if (t.trimmed() == type)
                return true;
    }
    return false;
}

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size()) {
            bool ok = false;
            const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += in[i];
    }
    return out;
}

// Bytes of a value in its charset: the one the property names, else UTF-8 when the bytes are
// valid UTF-8, else Shift_JIS as Japanese phones write it.
QString text(const Property& p)
{
    const QByteArray charset = paramValue(p, "CHARSET");
    if (charset == "UTF-8" || charset == "UTF8")
        return QString::fromUtf8(p.value);
    if (charset == "SHIFT_JIS" || charset == "SJIS" || charset == "CP932" ||
        charset == "WINDOWS-31J" || charset == "MS_KANJI" || charset == "X-SJIS")
        return cp932::toUnicode(p.value);
    if (charset == "ISO-8859-1" || charset == "US-ASCII")
        return QString::fromLatin1(p.value);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(p.value);
    if (!utf8.hasError())
        return decoded;
    return cp932::toUnicode(p.value);
}

// "\n", "\,", "\;", "\\" and the parts of a structured value split at unescaped ";".
QStringList components(const QString& value)
{
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            parts.last() += e == u'n' || e == u'N' ? QChar(u'\n') : e;
        } else if (c == u';') {
            parts << QString();
        } else {
            parts.last() += c;
        }
    }
    return parts;
}

QString part(const QStringList& parts, int i)
{
    return i < parts.size() ? parts[i].trimmed() : QString();
}

// One logical line: "group.NAME;PARAM=x;PARAM:value".
Property parseLine(const QByteArray& line)
{
    Property p;
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon < 0)
        return p;
    QList<QByteArray> head = line.first(colon).split(';');
    QByteArray name = head.takeFirst().trimmed().toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.mid(dot + 1); // "item1.ADR"
    p.name = name;
    for (const QByteArray& param : head)
        p.params << param.trimmed().toUpper();
    p.value = line.mid(colon + 1);
    return p;
}

bool isQuotedPrintable(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    const QByteArray head = (colon < 0 ? line : line.first(colon)).toUpper();
    return head.contains("QUOTED-PRINTABLE");
}

} // namespace

bool VCardReader::IsVCardFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"vcf" || suffix == u"vcard";
}

QList<VCardReader::Contact> VCardReader::Parse(const QByteArray& bytes)
{
    // Physical lines, then logical ones: a line starting with a space or a tab continues the
    // one before (folding), and so does the line after a quoted-printable line ending in "=".
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start <= data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArray line = data.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = end + 1;
        if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            lines.last() += line.mid(1);
        } else if (!lines.isEmpty() && lines.last().endsWith('=') &&
                   isQuotedPrintable(lines.last())) {
            lines.last().chop(1);
            lines.last() += line;
        } else {
            lines << line;
        }
    }

    QList<Contact> contacts;
    int depth = 0;
    QString fn, family, given;
    bool organisation = false; // KIND:org (4.0), X-ABShowAs:COMPANY (Apple)
    struct Address
    {
        QStringList parts;
        int rank; // 0 home, 1 work, 2 other
    };
    std::optional<Address> address;
    Contact current;
    for (const QByteArray& raw : lines) {
        Property p = parseLine(raw);
        if (p.name.isEmpty())
            continue;
        if (p.name == "BEGIN" && p.value.trimmed().toUpper() == "VCARD") {
            if (++depth == 1) {
                current = Contact();
                fn.clear();
                family.clear();
                given.clear();
                organisation = false;
                address.reset();
            }
            continue;
        }
        if (p.name == "END" && p.value.trimmed().toUpper() == "VCARD") {
            if (depth > 0 && --depth == 0) {
                current.name = !fn.isEmpty() ? fn : (family + u' ' + given).trimmed();
                // A company's own contact names the company as its FN, with no person in N:
                // its card goes to the company, which it names once.
                if (family.isEmpty() && given.isEmpty() && !current.company.isEmpty() &&
                    (current.name == current.company || organisation))
                    current.name.clear();
                if (address) {
                    const QStringList& a = address->parts;
                    const QStringList street = part(a, 2).split(u'\n', Qt::SkipEmptyParts);
                    current.postalCode = part(a, 5);
                    current.address1 = part(a, 4) + part(a, 3) +
                                       (street.isEmpty() ? QString() : street[0].trimmed());
                    QStringList rest;
                    for (qsizetype i = 1; i < street.size(); ++i)
                        rest << street[i].trimmed();
                    if (!part(a, 1).isEmpty())
                        rest << part(a, 1);
                    current.address2 = rest.join(u' ');
                }
                contacts << current;
                if (contacts.size() >= MaxContacts)
                    break;
            }
            continue;
        }
        if (depth != 1)
            continue; // outside a card, or inside an embedded one
        if (paramValue(p, "ENCODING") == "QUOTED-PRINTABLE" ||
            p.params.contains("QUOTED-PRINTABLE"))
            p.value = decodeQuotedPrintable(p.value);
        if (p.name == "FN") {
            fn = components(text(p)).join(u';').trimmed();
        } else if (p.name == "N") {
            const QStringList n = components(text(p));
            family = part(n, 0);
            given = part(n, 1);
        } else if (p.name == "ADR") {
            const int rank = hasType(p, "HOME") ? 0 : hasType(p, "WORK") ? 1 : 2;
            if (!address || rank < address->rank)
                address = Address{components(text(p)), rank};
        } else if (p.name == "ORG") {
            current.company = part(components(text(p)), 0);
        } else if (p.name == "KIND" || p.name == "X-ABSHOWAS") {
            const QByteArray kind = p.value.trimmed().toUpper();
            organisation = kind == "ORG" || kind == "ORGANIZATION" || kind == "COMPANY";
        } else if (p.name == "TITLE") {
            current.title = components(text(p)).join(u';').trimmed();
        }
    }
    return contacts;
}

void VCardReader::LoadFromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw XBiffError(XBiffError::openFailed());
    run(file.readAll(), QFileInfo(fileName).completeBaseName());
}

void VCardReader::LoadFromBytes(const QByteArray& bytes)
{
    run(bytes, QStringLiteral("連絡先"));
}

void VCardReader::run(const QByteArray& bytes, const QString& sheetName)
{
    begin();
    const QList<Contact> contacts = Parse(bytes);
    if (OnReadSheetName)
        OnReadSheetName(sheetName);
    bool go = true;
    for (int c = 0; c < HeaderColumns::Count && go; ++c)
        go = cell(1, 0, c, HeaderColumns::HeaderNames[size_t(c)].toString());
    for (qsizetype i = 0; i < contacts.size() && go; ++i) {
        const Contact& k = contacts[i];
        const int row = int(i) + 1;
        const QString texts[] = {k.name, k.postalCode, k.address1, k.address2, k.company, k.title};
        for (int c = 0; c < 6 && go; ++c)
            if (!texts[c].isEmpty())
                go = cell(1, row, c, texts[c]);
        // A contact has no "印刷コード" of its own to switch its barcode on: it is on, as for
        // the empty cell of a list read from text.
        if (go)
            go = cell(1, row, HeaderColumns::PrintedBarcode, QStringLiteral(" "));
        progress(int(qMin<qsizetype>(100, (i + 1) * 100 / contacts.size())));
    }
    end();
}
