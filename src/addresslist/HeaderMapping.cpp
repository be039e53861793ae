#include "addresslist/HeaderMapping.h"

#include "addresslist/AddressGrid.h"

#include <QHash>
#include <QRegularExpression>

namespace {

enum Role
{
    FullName,
    FamilyName,
    GivenName,
    PostalCode,
    WholeAddress,
    Region,
    Locality,
    Street,
    Extended,
    Company,
    Title,
    Honorific,
    JointName,
    JointHonorific,
    BarcodeData,
    PrintedBarcode,
    RoleCount
};

// Header texts (after normalising: NFKC, lower case, no spaces) and what they hold.
const QHash<QString, Role>& synonyms()
{
    static const QHash<QString, Role> table = [] {
        QHash<QString, Role> t;
        const auto add = [&t](Role role, std::initializer_list<const char16_t*> names) {
            for (const char16_t* name : names)
                t.insert(QString::fromUtf16(name), role);
        };
        add(FullName, {u"宛先", u"氏名", u"名前", u"お名前", u"宛名", u"氏名(漢字)", u"name",
                       u"fullname", u"displayname", u"表示名"});
        add(FamilyName, {u"姓", u"苗字", u"名字", u"lastname", u"familyname", u"surname"});
        add(GivenName, {u"名", u"firstname", u"givenname"});
        add(PostalCode, {u"〒", u"郵便番号", u"郵便", u"〒番号", u"postalcode", u"zip", u"zipcode",
                         u"postcode", u"address-postalcode", u"homepostalcode"});
        add(WholeAddress, {u"住所", u"住所1", u"address", u"streetaddress"});
        add(Region, {u"都道府県", u"region", u"state", u"prefecture", u"address-region"});
        add(Locality, {u"市区町村", u"city", u"locality", u"address-city"});
        add(Street, {u"番地", u"町名番地", u"町域番地", u"street", u"address-street"});
        add(Extended, {u"建物名", u"マンション名", u"建物", u"住所2", u"extendedaddress",
                       u"address-extendedaddress", u"addressline2", u"building"});
        add(Company, {u"会社", u"会社名", u"勤務先", u"所属", u"organization", u"organizationname",
                      u"organization-name", u"company"});
        add(Title, {u"役職", u"肩書", u"肩書き", u"title", u"jobtitle", u"organizationtitle",
                    u"organization-title"});
        add(Honorific, {u"敬称"});
        add(JointName, {u"連名"});
        add(JointHonorific, {u"敬称2"});
        add(BarcodeData, {u"コード"});
        add(PrintedBarcode, {u"印刷コード"});
        return t;
    }();
    return table;
}

// "Address 1 - Street" → "address-street"; full-width letters and digits as half-width.
QString normalised(const QString& header)
{
    static const QRegularExpression numbered(QStringLiteral("^(address|organization)\\d+-"));
    QString key = header.normalized(QString::NormalizationForm_KC).toLower();
    key.remove(u' ').remove(u'\u3000').remove(u'_');
    key.replace(numbered, QStringLiteral("\\1-"));
    return key;
}

// Greeting-card software keeps a household's further names in 連名1, 連名2, ...
const QRegularExpression& numberedJoint()
{
    static const QRegularExpression pattern(QStringLiteral("^連名\\d+$"));
    return pattern;
}

QString headerText(const QString& cell)
{
    const qsizetype bar = cell.indexOf(u'|');
    return (bar >= 0 ? cell.left(bar) : cell).trimmed();
}

} // namespace

HeaderMapping HeaderMapping::Guess(const QStringList& header)
{
    std::array<int, RoleCount> found;
    found.fill(-1);
    QList<int> jointColumns;
    for (int c = 0; c < header.size(); ++c) {
        const QString key = normalised(header[c]);
        const auto it = synonyms().constFind(key);
        if (it != synonyms().cend() && found[size_t(*it)] < 0)
            found[size_t(*it)] = c;
        else if (numberedJoint().match(key).hasMatch())
            jointColumns << c;
    }
    HeaderMapping m;
    const auto take = [&](int field, std::initializer_list<Role> roles) {
        for (Role role : roles)
            if (found[size_t(role)] >= 0)
                m.columns[size_t(field)] << found[size_t(role)];
    };
    if (found[FullName] >= 0)
        take(HeaderColumns::Name, {FullName});
    else
        take(HeaderColumns::Name, {FamilyName, GivenName});
    take(HeaderColumns::PostalCode, {PostalCode});
    if (found[WholeAddress] >= 0)
        take(HeaderColumns::Address1, {WholeAddress});
    else
        take(HeaderColumns::Address1, {Region, Locality, Street});
    take(HeaderColumns::Address2, {Extended});
    take(HeaderColumns::Company, {Company});
    take(HeaderColumns::Title, {Title});
    take(HeaderColumns::Honorific, {Honorific});
    take(HeaderColumns::JointName, {JointName});
    m.columns[HeaderColumns::JointName] << jointColumns;
    take(HeaderColumns::JointHonorific, {JointHonorific});
    take(HeaderColumns::BarcodeData, {BarcodeData});
    take(HeaderColumns::PrintedBarcode, {PrintedBarcode});
    return m;
}

bool HeaderMapping::isConfident() const
{
    return !columns[HeaderColumns::Name].isEmpty() &&
           !columns[HeaderColumns::PostalCode].isEmpty() &&
           !columns[HeaderColumns::Address1].isEmpty();
}

bool HeaderMapping::isEmpty() const
{
    for (const QList<int>& c : columns)
        if (!c.isEmpty())
            return false;
    return true;
}

QString HeaderMapping::joined(int field, const QStringList& row) const
{
    // A family and a given name joined with a space; joint names (連名1, 連名2, ...) with
    // "・", so that each stays a person of its own; address parts run together as Japanese
    // addresses are written, except between two Latin words ("Minato-ku" "1-2-3 Roppongi").
    const bool spaced = field == HeaderColumns::Name;
    const bool listed = field == HeaderColumns::JointName;
    const auto latin = [](QChar c) { return c.unicode() < 0x250 && c.isLetterOrNumber(); };
    QString result;
    for (int c : columns[size_t(field)]) {
        const QString text = row.value(c).trimmed();
        if (text.isEmpty())
            continue;
        if (!result.isEmpty() && listed)
            result += u'・';
        else if (!result.isEmpty() && (spaced || (latin(result.back()) && latin(text.front()))))
            result += u' ';
        result += text;
    }
    return result;
}

QString HeaderMapping::valueOf(const AddressGrid& grid, int field, int row) const
{
    QStringList cells;
    for (int c = 0; c < grid.columnCount(); ++c)
        cells << grid.cell(c, row);
    return joined(field, cells);
}

void HeaderMapping::Apply(AddressGrid& grid) const
{
    const int width = grid.columnCount();
    QList<bool> used(width, false);
    for (const QList<int>& list : columns)
        for (int c : list)
            if (c >= 0 && c < width)
                used[c] = true;
    QList<int> rest;
    for (int c = 1; c < width; ++c)
        if (!used[c])
            rest << c;

    grid.beginUpdate();
    grid.setColumnCount(1 + HeaderColumns::Count + int(rest.size()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        QStringList old;
        for (int c = 0; c < width; ++c)
            old << grid.cell(c, r);
        QStringList cells{used[0] ? QString() : old[0]};
        for (int f = 0; f < HeaderColumns::Count; ++f) {
            if (r == 0) {
                cells << HeaderColumns::HeaderNames[size_t(f)].toString();
                continue;
            }
            cells << joined(f, old);
        }
        for (int c : rest)
            cells << old[c];
        grid.setRowCells(r, cells);
    }
    grid.endUpdate();
}

bool HeaderMapping::ApplyGuess(AddressGrid& grid)
{
    if (grid.rowCount() == 0)
        return false;
    const QStringList header = HeaderRow(grid);
    if (HasOwnNames(header))
        return false;
    const HeaderMapping guess = Guess(header);
    if (!guess.isConfident())
        return false;
    guess.Apply(grid);
    return true;
}

QStringList HeaderMapping::HeaderRow(const AddressGrid& grid)
{
    QStringList header;
    for (int c = 0; c < grid.columnCount(); ++c)
        header << grid.cell(c, 0).trimmed();
    while (!header.isEmpty() && header.last().isEmpty())
        header.removeLast();
    return header;
}

bool HeaderMapping::HasOwnNames(const QStringList& header)
{
    for (const QString& cell : header)
        if (headerText(cell) == HeaderColumns::HeaderNames[HeaderColumns::Name])
            return true;
    return false;
}

int HeaderMapping::HeaderLikeCells(const QStringList& cells)
{
    int count = 0;
    for (const QString& cell : cells) {
        const QString text = headerText(cell);
        if (text.isEmpty())
            continue;
        // Whole headers only, but for 宛先: a company "株式会社名古屋…" holds "会社名", and a
        // data row must not pass for the header.
        const QString key = normalised(text);
        const bool known = synonyms().contains(key) || numberedJoint().match(key).hasMatch() ||
                           text.contains(HeaderColumns::HeaderNames[HeaderColumns::Name]);
        count += known ? 1 : 0;
    }
    return count;
}

int HeaderMapping::FindHeaderRow(const AddressGrid& grid)
{
    int best = 0;
    int bestCount = 0;
    for (int r = 0; r < qMin(grid.rowCount(), HeaderSearchRows); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columnCount(); ++c)
            cells << grid.cell(c, r);
        const int count = HeaderLikeCells(cells);
        if (count > bestCount) {
            best = r;
            bestCount = count;
        }
    }
    return best;
}

int HeaderMapping::TakeHeaderRow(AddressGrid& grid)
{
    const int above = FindHeaderRow(grid);
    if (above == 0)
        return 0;
    grid.beginUpdate();
    grid.dropTopRows(above);
    // The header cells as the header row shows them, the name before a "|" note.
    for (int c = 1; c < grid.columnCount(); ++c) {
        const QString cell = grid.cell(c, 0);
        if (cell.contains(u'|'))
            grid.setCell(c, 0, cell.left(cell.indexOf(u'|')));
    }
    // The fixed column numbers the rows when it held their numbers; a list's own first
    // column keeps its cells.
    const int rows = grid.rowCount();
    for (int r = 0; r < rows; ++r) {
        if (grid.cell(0, r) != QString::number(r + above))
            continue;
        grid.setCell(0, r, r == 0 ? QStringLiteral(" ") : QString::number(r));
    }
    grid.endUpdate();
    return above;
}

int HeaderMapping::UsedColumns(const AddressGrid& grid)
{
    // A few rows are enough to find a column without a header text; a whole list of tens of
    // thousands of rows is not read for it.
    constexpr int SampleRows = 20;
    int used = int(HeaderRow(grid).size());
    for (int r = 1; r < qMin(grid.rowCount(), SampleRows + 1); ++r)
        for (int c = grid.columnCount() - 1; c >= used; --c)
            if (!grid.cell(c, r).trimmed().isEmpty()) {
                used = c + 1;
                break;
            }
    return used;
}

bool HeaderMapping::fits(int width) const
{
    for (const QList<int>& list : columns)
        for (int c : list)
            if (c < 0 || c >= width)
                return false;
    return true;
}

QString HeaderMapping::toText() const
{
    QStringList entries;
    for (const QList<int>& list : columns) {
        QStringList numbers;
        for (int c : list)
            numbers << QString::number(c);
        entries << numbers.join(u'+');
    }
    return entries.join(u',');
}

std::optional<HeaderMapping> HeaderMapping::FromText(const QString& text)
{
    // More columns than a worksheet has is no column of a list.
    constexpr int MaxColumn = 1 << 16;
    const QStringList entries = text.split(u',');
    if (entries.size() != HeaderColumns::Count)
        return std::nullopt;
    HeaderMapping m;
    for (int f = 0; f < HeaderColumns::Count; ++f) {
        if (entries[f].trimmed().isEmpty())
            continue;
        for (const QString& number : entries[f].split(u'+')) {
            bool ok = false;
            const int c = number.trimmed().toInt(&ok);
            if (!ok || c < 0 || c >= MaxColumn)
                return std::nullopt;
            m.columns[size_t(f)] << c;
        }
    }
    return m;
}
