#pragma once

#include "layout/LayoutItem.h"
#include "layout/LayoutItemRecord.h"
#include "layout/LayoutKind.h"

#include <QString>

#include <array>

class IniFile;

// The one table of layout records (item x kind, the nine addressee fields and the sender's) of the
// session. Printing and the preview read it directly; it is changed only through StoreLayoutItem
// and by the settings load. In the settings file each record is one key of section "ITEMFONT".
class LayoutTable
{
public:
    // Filled with the built-in defaults.
    LayoutTable();

    static LayoutItemRecord defaultRecord(LayoutKind kind, LayoutItem item);
    void setDefaults();

    const LayoutItemRecord& record(LayoutKind kind, LayoutItem item) const;

    // A copy of one record and the item's display name. A kind or item out of range returns
    // false and leaves the outputs untouched.
    bool ReadLayoutItem(int kind, int item, QString* displayName, LayoutItemRecord* record) const;

    // Stores one record: position, size, extension, font name and size always; Lock, NoView
    // and NoPrint only when `positionOnly` is false (a move of the field keeps its flags).
    // Values out of range (LayoutLimits) take the default record's. Gives the item's display
    // name. A kind or item out of range stores nothing: false.
    bool StoreLayoutItem(int kind, int item, const LayoutItemRecord& values, bool positionOnly,
                         QString* displayName = nullptr);

    // Joint names follow the addressee: the Renmei record stands as the addressee's would lead
    // it (the same size, the same start, length and spread along the writing, beside it on
    // the joint names' side: left of a column, below a line).
    static bool FollowsAddressee(LayoutKind kind, const LayoutItemRecord& atena,
                                 const LayoutItemRecord& renmei);
    // After the user changed the addressee from `before`, joint names that followed it take
    // its new size, start, length and spread, and keep their distance beside it in proportion
    // to the size. Joint names the user has set apart stay as stored. True when they moved.
    bool FollowAddressee(LayoutKind kind, const LayoutItemRecord& before);

    // The defaults, then every stored record of the settings file. A missing, empty, "ER",
    // "IR" or short key keeps the default of that one record; a value out of range
    // (LayoutLimits) keeps the default's value.
    void LoadLayoutTable(const IniFile& settings);
    // Writes every record into the settings file in memory (the caller saves it).
    void SaveLayoutTable(IniFile& settings) const;

    // The settings key of a record: "item" + (kind + 1) + (item + 1), e.g. "item17".
    static QString itemKey(LayoutKind kind, LayoutItem item);
    // The stored form: FontName,FontSize (one decimal),X,Y,Width,Height,WidthEx,Lock,NoPrint,
    // NoView, flags as "True"/"False".
    static QString recordText(const LayoutItemRecord& record);
    // Reads a stored form (quotes of the settings file already removed) over `record`. False,
    // with `record` unchanged, when the text is missing or has fewer than 9 fields. A font size
    // that is not a positive number keeps the size already in `record`.
    static bool parseRecordText(const QString& text, LayoutItemRecord* record);

    bool operator==(const LayoutTable&) const = default;

private:
    std::array<std::array<LayoutItemRecord, LayoutItemCount>, LayoutKindCount> m_records;
};
