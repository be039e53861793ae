#include "postal/AddressMatch.h"

#include "postal/AddressText.h"

using AddressText::Comparable;

namespace {

// The city as the address may write it: "北群馬郡榛東村" also as "榛東村".
QStringList cityForms(QStringView city)
{
    QStringList forms{AddressText::comparableText(city)};
    const qsizetype gun = city.indexOf(u'郡');
    if (gun > 0 && gun + 1 < city.size())
        forms << AddressText::comparableText(city.mid(gun + 1));
    return forms;
}

// The ward of a designated city ("仙台市泉区" → "泉区"), or nothing.
QString wardOf(QStringView city)
{
    const qsizetype shi = city.indexOf(u'市');
    if (shi <= 0 || city.size() - shi - 1 < 2 || !city.endsWith(u'区'))
        return QString();
    return AddressText::comparableText(city.mid(shi + 1));
}

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Whether `town` starts `text` at `pos` without cutting a number in two ("X2" must not
// match "X20").
bool townAt(const QString& text, qsizetype pos, const QString& town)
{
    if (town.isEmpty() || !QStringView(text).mid(pos).startsWith(town))
        return false;
    const qsizetype end = pos + town.size();
    return !(end < text.size() && isDigit(text[end]) && isDigit(town.back()));
}

// Kyoto writes the streets before the town: 「寺町通御池上る上本能寺前町488」. The town may
// come later than right after the city, as long as no number stands between them.
qsizetype townAfterStreet(const QString& text, qsizetype from, const QString& town)
{
    for (qsizetype at = text.indexOf(town, from); at >= 0; at = text.indexOf(town, at + 1)) {
        for (qsizetype i = from; i < at; ++i) {
            if (isDigit(text[i]))
                return -1;
        }
        if (townAt(text, at, town))
            return at + town.size();
    }
    return -1;
}

struct Place
{
    qsizetype cityEnd = -1; // after the city, or -1 when the city is missing
    qsizetype townStart = 0;
};

// Skips the prefecture and the city of `town` at the start of `text`.
Place place(const QString& text, const PostalIndex::Town& town)
{
    Place p;
    qsizetype pos = 0;
    const QString pref = AddressText::comparableText(town.prefecture);
    if (text.startsWith(pref))
        pos = pref.size();
    for (const QString& city : cityForms(town.city)) {
        if (QStringView(text).mid(pos).startsWith(city)) {
            pos += city.size();
            p.cityEnd = pos;
            break;
        }
    }
    // "泉区紫山…" names the ward of 仙台市泉区 without its city: not the whole city, but the
    // town still starts after it.
    const QString ward = wardOf(town.city);
    if (p.cityEnd < 0 && !ward.isEmpty() && QStringView(text).mid(pos).startsWith(ward))
        pos += ward.size();
    for (QStringView prefix : {QStringView(u"大字"), QStringView(u"字")}) {
        if (QStringView(text).mid(pos).startsWith(prefix)) {
            pos += prefix.size();
            break;
        }
    }
    p.townStart = pos;
    return p;
}

// The town of a building code is the town and the building's name in one: the town is the
// longest town of the city that starts it.
QString buildingTown(const PostalIndex& index, const PostalIndex::Town& town)
{
    const QString whole = AddressText::comparableText(town.town);
    QString best;
    for (const PostalIndex::CityTown& t : index.townsOfCity(town.cityIndex)) {
        const QString name = AddressText::comparableText(t.town);
        if (!name.isEmpty() && name.size() < whole.size() && whole.startsWith(name) &&
            name.size() > best.size())
            best = name;
    }
    return best.isEmpty() ? whole : best;
}

} // namespace

QString AddressMatch::statusWord(Status status)
{
    switch (status) {
    case Status::Match:
        return QStringLiteral("match");
    case Status::Missing:
        return QStringLiteral("missing");
    case Status::Unknown:
        return QStringLiteral("unknown");
    case Status::StaleCode:
        return QStringLiteral("code");
    case Status::Mismatch:
        break;
    }
    return QStringLiteral("mismatch");
}

AddressMatch::Result AddressMatch::match(const PostalIndex& index, QStringView postalCode,
                                         QStringView address)
{
    Result r;
    if (AddressText::isBlank(postalCode)) {
        r.status = Status::Missing;
        r.message = QStringLiteral("郵便番号がありません");
        return r;
    }
    const std::optional<quint32> code = AddressText::parsePostalCode(postalCode);
    if (!code) {
        r.status = Status::Unknown;
        r.message = QStringLiteral("郵便番号「") + postalCode.trimmed().toString() +
                    QStringLiteral("」は７桁の番号ではありません");
        return r;
    }
    r.code = *code;
    const PostalIndex::Towns towns = index.towns(*code);
    if (towns.isEmpty()) {
        r.status = Status::Unknown;
        r.message =
            QStringLiteral("郵便番号 ") + AddressText::formatPostalCode(*code) +
            QStringLiteral(
                " は郵便番号データにありません（大口事業所・私書箱の個別番号は確かめられません）");
        return r;
    }
    r.town = towns.front();

    const Comparable text = AddressText::comparable(address);
    bool townWithoutCity = false;
    for (const PostalIndex::Town& t : towns) {
        const Place p = place(text.text, t);
        qsizetype townEnd = -1;
        if (t.town.isEmpty()) {
            // The representative code fits only a town that has no code of its own.
            bool listed = false;
            for (const PostalIndex::CityTown& other : index.townsOfCity(t.cityIndex)) {
                const QString name = AddressText::comparableText(other.town);
                if (townAt(text.text, p.townStart, name)) {
                    listed = true;
                    break;
                }
            }
            if (!listed)
                townEnd = p.townStart;
        } else {
            const QString name =
                t.building ? buildingTown(index, t) : AddressText::comparableText(t.town);
            if (townAt(text.text, p.townStart, name))
                townEnd = p.townStart + name.size();
            else if (p.cityEnd >= 0)
                townEnd = townAfterStreet(text.text, p.cityEnd, name);
        }
        if (townEnd < 0)
            continue;
        if (p.cityEnd < 0 && !(t.town.isEmpty())) {
            townWithoutCity = true;
            r.town = t;
            r.townEnd = text.origin[townEnd];
            continue;
        }
        if (p.cityEnd < 0)
            continue;
        r.status = Status::Match;
        r.town = t;
        r.townEnd = text.origin[townEnd];
        return r;
    }
    r.status = Status::Mismatch;
    const QString place = AddressText::formatPostalCode(*code) + u' ' + r.town.fullName() +
                          (towns.size() > 1 ? QStringLiteral(" ほか") : QString());
    if (townWithoutCity)
        r.message = QStringLiteral("住所に市区町村名がありません（") + place + u'）';
    else
        r.message = QStringLiteral("住所が郵便番号と合いません（") + place + u'）';
    return r;
}
