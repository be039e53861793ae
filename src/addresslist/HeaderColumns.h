#pragma once

#include <QString>
#include <QStringView>

#include <array>

class AddressGrid;
class Prompter;

// The grid columns of the eleven header names that an address list must carry. Recomputed
// from the grid's header row whenever a record is needed.
class HeaderColumns
{
public:
    // Index into HeaderNames, the columns and the AddressRecord.
    enum Field
    {
        Name = 0,       // 宛先
        PostalCode,     // 郵便番号 (code page 932)
        Address1,       // 住所１
        Address2,       // 住所２
        Company,        // 会社名
        Title,          // 肩書き
        Honorific,      // 敬称
        JointName,      // 連名
        JointHonorific, // 敬称2
        BarcodeData,    // コード (code page 932)
        PrintedBarcode, // 印刷コード (code page 932)
        Count
    };

    static constexpr std::array<QStringView, Count> HeaderNames = {
        u"宛先", u"郵便番号", u"住所１", u"住所２", u"会社名",    u"肩書き",
        u"敬称", u"連名",     u"敬称2",  u"コード", u"印刷コード"};

    // Fields whose text is taken in its code page 932 form.
    static constexpr bool IsCp932Field(int field)
    {
        return field == PostalCode || field == BarcodeData || field == PrintedBarcode;
    }

    HeaderColumns() { columns.fill(-1); }

    int operator[](int field) const { return columns[size_t(field)]; }

    // Fills the columns from grid row 0: for each name, the leftmost column whose header field
    // contains it (a substring: "敬称" is also found in "敬称2"), or -1. When a name is
    // missing, `prompter` (if any) shows "Headerを確認 " with the columns, and the result is
    // false.
    bool FindHeaderColumns(const AddressGrid& grid, Prompter* prompter);

    // "Headerを確認 " followed by every column and "|".
    QString MissingMessage() const;

    // The two cheap tests before FindHeaderColumns: row 1 holds more than two characters
    // besides its commas, and row 0 holds "宛先".
    static bool IsAddressList(const AddressGrid& grid);

    std::array<int, Count> columns;
};
