#include "postal/PostalIndex.h"

#include "common/BuildTree.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace F = PostalTableFormat;

const QString PostalIndex::FileName = QStringLiteral("tayori-postal.bin");

bool PostalIndex::load(const QString& path)
{
    *this = PostalIndex();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("郵便番号データを開けません: ") + path;
        return false;
    }
    m_data = file.readAll();
    const auto damaged = [&] {
        m_data.clear();
        m_error = QStringLiteral("郵便番号データが壊れています: ") + path;
        return false;
    };
    if (m_data.size() < qsizetype(sizeof(F::Header)))
        return damaged();
    const auto* header = reinterpret_cast<const F::Header*>(m_data.constData());
    if (!std::equal(std::begin(F::Magic), std::end(F::Magic), header->magic))
        return damaged();
    // Every count is checked against the bytes that are really there before any pointer is
    // made from it.
    const quint64 entries = header->entryCount;
    const quint64 need =
        sizeof(F::Header) + quint64(header->prefectureCount) * sizeof(F::Prefecture) +
        quint64(header->cityCount) * sizeof(F::City) + entries * 4 + entries * sizeof(F::Entry) +
        entries * 4 + quint64(header->groupCount) * sizeof(F::Group) +
        quint64(header->stringUnits) * 2;
    // The sections fill the file (the strings padded to four bytes), and a table without
    // prefectures, cities or codes is no national table: a file cut or zeroed after its
    // header must not pass as one where every code is unknown.
    if (need > quint64(m_data.size()) || quint64(m_data.size()) - need > 3 ||
        header->prefectureCount == 0 || header->cityCount == 0 || entries == 0 ||
        header->stringUnits == 0)
        return damaged();
    const char* p = m_data.constData() + sizeof(F::Header);
    const auto take = [&p](quint64 bytes) {
        const char* at = p;
        p += bytes;
        return at;
    };
    m_prefectures = reinterpret_cast<const F::Prefecture*>(
        take(quint64(header->prefectureCount) * sizeof(F::Prefecture)));
    m_cities = reinterpret_cast<const F::City*>(take(quint64(header->cityCount) * sizeof(F::City)));
    m_codes = reinterpret_cast<const quint32*>(take(entries * 4));
    m_entries = reinterpret_cast<const F::Entry*>(take(entries * sizeof(F::Entry)));
    m_byCity = reinterpret_cast<const quint32*>(take(entries * 4));
    m_groups =
        reinterpret_cast<const F::Group*>(take(quint64(header->groupCount) * sizeof(F::Group)));
    m_strings = reinterpret_cast<const char16_t*>(p);

    const auto badText = [&](const F::Text& t) {
        return quint64(t.offset) + t.length > header->stringUnits;
    };
    // Names that are there, codes of seven digits in the order the lookups rely on.
    const auto badName = [&](const F::Text& t) { return badText(t) || t.length == 0; };
    constexpr quint32 lowestCode = 10000; // 001-0000
    constexpr quint32 highestCode = 9999999;
    bool ok = true;
    for (quint32 i = 0; ok && i < header->prefectureCount; ++i)
        ok = !badName(m_prefectures[i].name) && m_prefectures[i].code >= 1 &&
             m_prefectures[i].code <= 47;
    for (quint32 i = 0; ok && i < header->cityCount; ++i)
        ok = !badName(m_cities[i].name) && m_cities[i].prefecture < header->prefectureCount &&
             (i == 0 || m_cities[i - 1].code < m_cities[i].code);
    for (quint64 i = 0; ok && i < entries; ++i)
        ok = !badText(m_entries[i].town) && m_entries[i].city < header->cityCount &&
             m_codes[i] >= lowestCode && m_codes[i] <= highestCode &&
             (i == 0 || m_codes[i - 1] <= m_codes[i]) && m_byCity[i] < entries &&
             (i == 0 || m_entries[m_byCity[i - 1]].city <= m_entries[m_byCity[i]].city);
    for (quint32 i = 0; ok && i < header->groupCount; ++i)
        ok = !badText(m_groups[i].town) && m_groups[i].city < header->cityCount &&
             (i == 0 || m_groups[i - 1].prefix <= m_groups[i].prefix);
    if (!ok)
        return damaged();
    m_header = header;
    return true;
}

QString PostalIndex::findDataFile()
{
    QStringList candidates;
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty()) {
        candidates << appDir + u'/' + FileName
                   << appDir + QStringLiteral("/../share/tayori/") + FileName;
    }
    // A program run from the build tree finds the file the build made at its top.
    if (const QString build = BuildTree::root(); !build.isEmpty())
        candidates << build + u'/' + FileName;
    for (const QString& c : candidates) {
        if (QFileInfo(c).isFile())
            return QFileInfo(c).absoluteFilePath();
    }
    return QString();
}

const PostalIndex& PostalIndex::shared()
{
    static const PostalIndex index = [] {
        PostalIndex i;
        const QString path = findDataFile();
        if (path.isEmpty())
            i.m_error =
                QStringLiteral("郵便番号データ (") + FileName +
                QStringLiteral(") がないため、住所チェックと住所からのバーコードは使えません");
        else
            i.load(path);
        return i;
    }();
    return index;
}

QString PostalIndex::unavailableMessage()
{
    return shared().isLoaded() ? QString() : shared().errorText();
}

QStringView PostalIndex::text(const F::Text& t) const
{
    return QStringView(m_strings + t.offset, qsizetype(t.length));
}

PostalIndex::Town PostalIndex::makeTown(quint32 cityIndex, const F::Text& town) const
{
    const F::City& c = m_cities[cityIndex];
    return Town{text(m_prefectures[c.prefecture].name), text(c.name), text(town), int(cityIndex),
                false};
}

PostalIndex::Towns PostalIndex::towns(quint32 code) const
{
    Towns result;
    if (!m_header)
        return result;
    const quint32* end = m_codes + m_header->entryCount;
    const quint32* it = std::lower_bound(m_codes, end, code);
    for (; it != end && *it == code; ++it) {
        const F::Entry& e = m_entries[it - m_codes];
        result.append(makeTown(e.city, e.town));
    }
    if (result.isEmpty()) {
        const F::Group* gEnd = m_groups + m_header->groupCount;
        const F::Group* g = std::lower_bound(
            m_groups, gEnd, code / 100, [](const F::Group& a, quint32 p) { return a.prefix < p; });
        if (g != gEnd && g->prefix == code / 100) {
            result.append(makeTown(g->city, g->town));
            result.back().building = true;
        }
    }
    return result;
}

bool PostalIndex::contains(quint32 code) const
{
    return !towns(code).isEmpty();
}

bool PostalIndex::isRepresentative(quint32 code) const
{
    if (code % 100 != 0)
        return false;
    const Towns t = towns(code);
    return t.size() == 1 && t.front().town.isEmpty();
}

int PostalIndex::prefectureCount() const
{
    return m_header ? int(m_header->prefectureCount) : 0;
}

QStringView PostalIndex::prefectureName(int index) const
{
    return text(m_prefectures[index].name);
}

int PostalIndex::cityCount() const
{
    return m_header ? int(m_header->cityCount) : 0;
}

QStringView PostalIndex::cityName(int cityIndex) const
{
    return text(m_cities[cityIndex].name);
}

int PostalIndex::cityPrefecture(int cityIndex) const
{
    return int(m_cities[cityIndex].prefecture);
}

QList<PostalIndex::CityTown> PostalIndex::townsOfCity(int cityIndex) const
{
    QList<CityTown> result;
    if (!m_header)
        return result;
    const quint32* end = m_byCity + m_header->entryCount;
    const quint32* it =
        std::lower_bound(m_byCity, end, quint32(cityIndex),
                         [&](quint32 e, quint32 c) { return m_entries[e].city < c; });
    for (; it != end && m_entries[*it].city == quint32(cityIndex); ++it)
        result.append({m_codes[*it], text(m_entries[*it].town)});
    for (quint32 i = 0; i < m_header->groupCount; ++i) {
        if (m_groups[i].city == quint32(cityIndex))
            result.append({m_groups[i].prefix * 100, text(m_groups[i].town)});
    }
    return result;
}
