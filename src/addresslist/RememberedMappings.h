#pragma once

#include "addresslist/HeaderMapping.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class AddressGrid;
class IniFile;

// The user's answers to "列の対応", one per set of header texts, kept in the settings file's
// section "ColumnMapping": under a hash of the header row, the mapping's text; under the same
// key + "Headers", the header texts it was given for (code page 932, and + "U" as UTF-8 when
// code page 932 cannot hold them), so a hash that happens to match another list is no match.
class RememberedMappings
{
public:
    static const QString Section;

    // What mapping a shown grid took without asking.
    enum class Outcome
    {
        OwnNames,   // the header row already has the program's names
        Remembered, // an answer given before
        Guessed,    // the guess was sure
        Unsure,     // the guess placed two names or more, not enough: the user is asked
        Unknown     // one name or none recognisable (or no list): left as it is
    };

    // A stable key for a header row: 16 hexadecimal digits of its SHA-1.
    static QString Key(const QStringList& header);

    void remember(const QStringList& header, const HeaderMapping& mapping);
    // The answer given for this header row, when it still fits a grid of `usedColumns`.
    std::optional<HeaderMapping> find(const QStringList& header, int usedColumns) const;
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Entries that cannot be read are skipped; writing keeps every other key of the file.
    void load(const IniFile& ini);
    void save(IniFile& ini) const;

    // Takes the header row where it stands (HeaderMapping::TakeHeaderRow), then maps a grid
    // that lacks the program's names from the remembered answer or a sure guess.
    Outcome MapColumns(AddressGrid& grid) const;

private:
    struct Entry
    {
        QString headers;
        HeaderMapping mapping;
    };
    static QString JoinedHeaders(const QStringList& header);

    QHash<QString, Entry> m_entries;
};
