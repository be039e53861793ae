#include "addresslist/RememberedMappings.h"

#include "addresslist/AddressGrid.h"
#include "common/IniFile.h"
#include "common/SettingsText.h"

#include <QCryptographicHash>

#include <algorithm>

const QString RememberedMappings::Section = QStringLiteral("ColumnMapping");

namespace {
const QString HeadersSuffix = QStringLiteral("Headers");
} // namespace

QString RememberedMappings::JoinedHeaders(const QStringList& header)
{
    // As the settings file keeps it: a line break in a header cell becomes a space.
    QString joined = header.join(u',');
    joined.replace(u'\r', u' ').replace(u'\n', u' ');
    return joined;
}

QString RememberedMappings::Key(const QStringList& header)
{
    // A separator no header text holds, so ("a,b") and ("a", "b") differ.
    const QByteArray bytes = header.join(QChar(0x1F)).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
}

void RememberedMappings::remember(const QStringList& header, const HeaderMapping& mapping)
{
    m_entries.insert(Key(header), Entry{JoinedHeaders(header), mapping});
}

std::optional<HeaderMapping> RememberedMappings::find(const QStringList& header,
                                                      int usedColumns) const
{
    const auto it = m_entries.constFind(Key(header));
    if (it == m_entries.cend() || it->headers != JoinedHeaders(header) ||
        !it->mapping.fits(usedColumns))
        return std::nullopt;
    return it->mapping;
}

void RememberedMappings::load(const IniFile& ini)
{
    using namespace SettingsText;
    for (const QString& key : ini.keys(Section)) {
        if (key.endsWith(HeadersSuffix, Qt::CaseInsensitive) ||
            key.endsWith(HeadersSuffix + u'U', Qt::CaseInsensitive))
            continue;
        const std::optional<HeaderMapping> mapping =
            HeaderMapping::FromText(ReadSetting(ini, Section, key));
        const QString headers = ReadPathSetting(ini, Section, key + HeadersSuffix);
        if (!mapping || IsMissingValue(headers))
            continue;
        m_entries.insert(key.toLower(), Entry{headers, *mapping});
    }
}

void RememberedMappings::save(IniFile& ini) const
{
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        SettingsText::WriteSetting(ini, Section, it.key(), it->mapping.toText());
        SettingsText::WritePathSetting(ini, Section, it.key() + HeadersSuffix, it->headers);
    }
}

RememberedMappings::Outcome RememberedMappings::MapColumns(AddressGrid& grid) const
{
    if (grid.rowCount() == 0)
        return Outcome::Unknown;
    HeaderMapping::TakeHeaderRow(grid);
    const QStringList header = HeaderMapping::HeaderRow(grid);
    if (header.isEmpty())
        return Outcome::Unknown;
    if (HeaderMapping::HasOwnNames(header))
        return Outcome::OwnNames;
    if (const auto mapping = find(header, HeaderMapping::UsedColumns(grid))) {
        mapping->Apply(grid);
        return Outcome::Remembered;
    }
    const HeaderMapping guess = HeaderMapping::Guess(header);
    if (guess.isConfident()) {
        guess.Apply(grid);
        return Outcome::Guessed;
    }
    // One known header ("名前" in a list of members, "Title" in a list of books) is no sign of
    // an address list; two are.
    const auto known = std::count_if(guess.columns.cbegin(), guess.columns.cend(),
                                     [](const QList<int>& c) { return !c.isEmpty(); });
    // A header that holds "宛先" in a cell of other words is meant as an address list: the
    // user is asked rather than told its header is wrong.
    const bool named = std::any_of(header.cbegin(), header.cend(), [](const QString& cell) {
        return cell.contains(HeaderColumns::HeaderNames[HeaderColumns::Name]);
    });
    return known >= 2 || named ? Outcome::Unsure : Outcome::Unknown;
}
