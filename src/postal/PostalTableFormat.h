#pragma once

#include <QtGlobal>

// The file tayori-postal.bin, written at build time from the national postal-code table and
// read as one block: a header, then each section in this order, every number a little-endian
// 32-bit word. Texts are UTF-16 code units in one string table, so lookups hand out views
// without converting anything.
namespace PostalTableFormat {

inline constexpr char Magic[8] = {'T', 'Y', 'P', 'O', 'S', 'T', 'L', '1'};

struct Header
{
    char magic[8];
    quint32 prefectureCount;
    quint32 cityCount;
    quint32 entryCount; // codes with their towns; a code with several towns has several
    quint32 groupCount; // 5-digit groups of building codes whose single codes are not listed
    quint32 stringUnits;
    quint32 reserved;
};

struct Text
{
    quint32 offset; // into the string table, in UTF-16 units
    quint32 length;
};

struct Prefecture
{
    quint32 code; // 1..47
    Text name;
};

// Sorted by code.
struct City
{
    quint32 code;       // the 5-digit local government code
    quint32 prefecture; // index into the prefectures
    Text name;
};

// Sections after the header:
//   Prefecture[prefectureCount]
//   City[cityCount]
//   quint32 codes[entryCount]          sorted, the postal codes of the entries
//   Entry entries[entryCount]          parallel to codes
//   quint32 byCity[entryCount]         entry indices ordered by city, then code
//   Group groups[groupCount]           sorted by prefix
//   char16_t strings[stringUnits]      (padded to a multiple of 4 bytes)
struct Entry
{
    quint32 city; // index into the cities
    Text town;    // empty for a representative code (以下に掲載がない場合)
};

struct Group
{
    quint32 prefix; // the first five digits
    quint32 city;
    Text town;
};

} // namespace PostalTableFormat
