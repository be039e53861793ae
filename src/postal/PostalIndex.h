#pragma once

#include "postal/PostalTableFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <optional>

// The national postal-code table, loaded from tayori-postal.bin: postal code → towns (each
// with its prefecture and city), and the towns of a city. Read-only after load; lookups are
// binary searches over the loaded block and hand out views into it.
class PostalIndex
{
public:
    struct Town
    {
        QStringView prefecture;
        QStringView city; // as the table writes it: "札幌市東区", "北群馬郡榛東村"
        QStringView town; // empty for a representative code (以下に掲載がない場合)
        int cityIndex = -1;
        bool building = false; // one floor code of a building group

        QString fullName() const { return prefecture.toString().append(city).append(town); }
    };

    // Most codes have one town: no allocation for up to four.
    using Towns = QVarLengthArray<Town, 4>;

    static const QString FileName; // "tayori-postal.bin"

    PostalIndex() = default;

    // Loads `path`; false (and errorText) when the file is missing or damaged.
    bool load(const QString& path);
    bool isLoaded() const { return m_header != nullptr; }
    QString errorText() const { return m_error; }

    // The file beside the program, else where the build or the install put it; empty when
    // there is none.
    static QString findDataFile();
    // The index of the program, loaded once from findDataFile(); not loaded when there is no
    // data (the checks are then off).
    static const PostalIndex& shared();
    // "郵便番号データがないため、住所チェックは使えません" and the like: why the checks are off.
    static QString unavailableMessage();

    // The towns of a 7-digit code; empty when the code is not in the table.
    Towns towns(quint32 code) const;
    bool contains(quint32 code) const;
    // A code ending in 00 whose only town is the empty one: the city's "以下に掲載がない場合".
    bool isRepresentative(quint32 code) const;

    int prefectureCount() const;
    QStringView prefectureName(int index) const;
    int cityCount() const;
    QStringView cityName(int cityIndex) const;
    int cityPrefecture(int cityIndex) const;
    // The towns of one city with their codes, for finding the town of an address.
    struct CityTown
    {
        quint32 code;
        QStringView town;
    };
    QList<CityTown> townsOfCity(int cityIndex) const;

    qsizetype byteSize() const { return m_data.size(); }

private:
    QStringView text(const PostalTableFormat::Text& t) const;
    Town makeTown(quint32 cityIndex, const PostalTableFormat::Text& town) const;

    QByteArray m_data;
    QString m_error;
    const PostalTableFormat::Header* m_header = nullptr;
    const PostalTableFormat::Prefecture* m_prefectures = nullptr;
    const PostalTableFormat::City* m_cities = nullptr;
    const quint32* m_codes = nullptr;
    const PostalTableFormat::Entry* m_entries = nullptr;
    const quint32* m_byCity = nullptr;
    const PostalTableFormat::Group* m_groups = nullptr;
    const char16_t* m_strings = nullptr;
};
