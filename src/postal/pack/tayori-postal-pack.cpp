// Converts the master files of the postal-code package (pref.json, city.json, zip5.json,
// zip7.json) into tayori-postal.bin. Run by the build; see PostalTableFormat.h.
#include "postal/PostalTableFormat.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <map>
#include <vector>

namespace F = PostalTableFormat;

namespace {

QJsonObject readMaster(const QString& dir, const QString& name)
{
    QFile file(dir + u'/' + name + QStringLiteral(".json"));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + file.fileName().toStdString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (doc.isNull())
        throw std::runtime_error(name.toStdString() + ": " + error.errorString().toStdString());
    return doc.object().value(name).toObject();
}

struct Strings
{
    std::u16string units;
    QHash<QString, F::Text> seen;

    F::Text add(const QString& s)
    {
        if (s.isEmpty())
            return {0, 0};
        auto it = seen.find(s);
        if (it != seen.end())
            return *it;
        const F::Text t{quint32(units.size()), quint32(s.size())};
        units.append(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
        seen.insert(s, t);
        return t;
    }
};

struct Row
{
    quint32 code;
    quint32 cityCode;
    QString town;
};

// A row of zip5/zip7 is a city code, a town name, or a list of both: a number switches the
// city for the names after it.
void parseRow(const QJsonValue& value, quint32& city, const std::function<void(QString)>& town)
{
    const QJsonArray items = value.isArray() ? value.toArray() : QJsonArray{value};
    for (const QJsonValue& v : items) {
        if (v.isDouble())
            city = quint32(v.toInt());
        else if (v.isString())
            town(v.toString());
    }
}

template <typename T> void put(QByteArray& out, const T& value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        QTextStream(stderr) << "usage: tayori-postal-pack MASTER_DIR OUT.bin\n";
        return 2;
    }
    try {
        const QString dir = QString::fromLocal8Bit(argv[1]);
        const QJsonObject prefs = readMaster(dir, QStringLiteral("pref"));
        const QJsonObject cities = readMaster(dir, QStringLiteral("city"));
        const QJsonObject zip5 = readMaster(dir, QStringLiteral("zip5"));
        const QJsonObject zip7 = readMaster(dir, QStringLiteral("zip7"));

        Strings strings;
        std::vector<F::Prefecture> prefList;
        std::map<quint32, quint32> prefIndex;
        for (auto it = prefs.begin(); it != prefs.end(); ++it) {
            const quint32 code = it.key().toUInt();
            prefIndex[code] = 0;
        }
        for (auto& [code, index] : prefIndex) {
            index = quint32(prefList.size());
            prefList.push_back(
                {code,
                 strings.add(
                     prefs.value(QString::asprintf("%02u", code)).toArray().at(0).toString())});
        }
        std::vector<F::City> cityList;
        std::map<quint32, quint32> cityIndex;
        for (auto it = cities.begin(); it != cities.end(); ++it)
            cityIndex[it.key().toUInt()] = 0;
        for (auto& [code, index] : cityIndex) {
            index = quint32(cityList.size());
            const QString name =
                cities.value(QString::asprintf("%05u", code)).toArray().at(0).toString();
            cityList.push_back({code, prefIndex.at(code / 1000), strings.add(name)});
        }

        std::vector<Row> rows;
        for (auto it = zip7.begin(); it != zip7.end(); ++it) {
            const quint32 code = it.key().toUInt();
            quint32 city = 0;
            // A code without its own city takes its 5-digit group's, and a group's town
            // (when the group has one) comes before the code's own names.
            const QJsonValue group = zip5.value(it.key().left(5));
            std::vector<QString> groupTowns;
            if (!group.isUndefined())
                parseRow(group, city, [&](QString t) { groupTowns.push_back(t); });
            for (const QString& t : groupTowns)
                rows.push_back({code, city, t});
            parseRow(it.value(), city, [&](QString t) { rows.push_back({code, city, t}); });
            if (city == 0)
                throw std::runtime_error("no city for " + it.key().toStdString());
        }
        std::vector<Row> groups;
        for (auto it = zip5.begin(); it != zip5.end(); ++it) {
            // Groups whose codes all share one city and town lost their single codes.
            quint32 city = 0;
            parseRow(it.value(), city, [&](QString t) {
                groups.push_back({it.key().toUInt(), city, t});
            });
        }
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.code < b.code; });
        std::sort(groups.begin(), groups.end(),
                  [](const Row& a, const Row& b) { return a.code < b.code; });

        std::vector<F::Entry> entries;
        for (const Row& r : rows)
            entries.push_back({cityIndex.at(r.cityCode), strings.add(r.town)});
        std::vector<quint32> byCity(rows.size());
        for (quint32 i = 0; i < byCity.size(); ++i)
            byCity[i] = i;
        std::stable_sort(byCity.begin(), byCity.end(),
                         [&](quint32 a, quint32 b) { return entries[a].city < entries[b].city; });

        QByteArray out;
        F::Header header{};
        std::copy(std::begin(F::Magic), std::end(F::Magic), header.magic);
        header.prefectureCount = quint32(prefList.size());
        header.cityCount = quint32(cityList.size());
        header.entryCount = quint32(entries.size());
        header.groupCount = quint32(groups.size());
        header.stringUnits = quint32(strings.units.size());
        put(out, header);
        for (const auto& p : prefList)
            put(out, p);
        for (const auto& c : cityList)
            put(out, c);
        for (const Row& r : rows)
            put(out, r.code);
        for (const auto& e : entries)
            put(out, e);
        for (quint32 i : byCity)
            put(out, i);
        for (const Row& g : groups)
            put(out, F::Group{g.code, cityIndex.at(g.cityCode), strings.add(g.town)});
        // Group towns may have added strings: the header's count is rewritten at the end.
        out.append(reinterpret_cast<const char*>(strings.units.data()),
                   qsizetype(strings.units.size() * 2));
        while (out.size() % 4)
            out.append('\0');
        reinterpret_cast<F::Header*>(out.data())->stringUnits = quint32(strings.units.size());

        QSaveFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
            throw std::runtime_error("cannot write " + file.fileName().toStdString());
    } catch (const std::exception& e) {
        QTextStream(stderr) << "tayori-postal-pack: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
