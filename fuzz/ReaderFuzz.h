// One fuzz run of a workbook-shaped reader (LoadFromBytes and the four events): besides the
// sanitizers' findings, a progress outside 0..100, a cell at a negative place, a column width
// past the last column, or a normal end without the closing 0 is a fault.
#pragma once

#include "addresslist/XBiffError.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

template <class Reader> int FuzzReader(const std::uint8_t* data, std::size_t size)
{
    Reader reader;
    int lastProgress = -1;
    qsizetype seen = 0;
    reader.OnProgress = [&](int progress) {
        if (progress < 0 || progress > 100)
            __builtin_trap();
        lastProgress = progress;
    };
    reader.OnReadCell = [&](int sheetNo, int row, int col, int, const QString& text, bool&) {
        if (sheetNo < 1 || row < 0 || col < 0)
            __builtin_trap();
        seen += text.size();
    };
    reader.OnReadColW = [&](int sheetNo, int col, int width) {
        if (col < 0 || col > 1023)
            __builtin_trap();
        seen += sheetNo + width;
    };
    reader.OnReadSheetName = [&](const QString& name) { seen += name.size(); };
    try {
        reader.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        if (lastProgress != 0)
            __builtin_trap();
    } catch (const XBiffError&) {
    }
    // The sums keep every event's text in use, so nothing is optimised away.
    static_cast<void>(seen);
    return 0;
}
