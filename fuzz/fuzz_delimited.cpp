// The delimited-list reader over any bytes, as "住所録を開く(&J)" reads a file. Besides the
// sanitizers' findings, a grid outside its bounds or a save that does not read back the same
// cells is a fault.
#include "addresslist/AddressBook.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/DelimitedText.h"
#include "addresslist/HeaderColumns.h"
#include "common/FieldText.h"
#include "common/Prompter.h"
#include "common/cp932.h"

#include <cstddef>
#include <cstdint>

namespace {

class QuietPrompter : public Prompter
{
public:
    void showMessage(const QString&) override {}
    void showError(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

// An empty cell reads back as a single space; nothing else may change.
bool sameShown(const QString& a, const QString& b)
{
    auto shown = [](const QString& s) { return s.isEmpty() ? QStringLiteral(" ") : s; };
    return shown(a) == shown(b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The last byte may say that the bytes are only the start of a longer file.
    const bool complete = !(size > 0 && data[size - 1] == 0xC7);

    QuietPrompter prompter;
    AddressBook book;
    DelimitedList::LoadDelimitedBytes(book, bytes, QStringLiteral("fuzz.csv"), prompter, complete);
    const AddressGrid& grid = book.grid();
    if (grid.rowCount() < 1 || grid.rowCount() > DelimitedList::MaxLines ||
        grid.columnCount() < DelimitedList::Columns ||
        grid.columnCount() > DelimitedList::MaxColumns + 1 || book.tabCaptions().size() != 1)
        __builtin_trap();

    HeaderColumns columns;
    if (HeaderColumns::IsAddressList(grid))
        columns.FindHeaderColumns(grid, nullptr);
    for (int row = 1; row < grid.rowCount() && row < 8; ++row)
        if (const std::optional<AddressRecord> record = ReadAddressRecord(grid, columns, row))
            if (record->row != row)
                __builtin_trap();

    // A few lines only: the cut is reported.
    const int few = size > 0 ? data[0] % 8 : 0;
    const DelimitedText::Lines some = DelimitedText::ReadLines(bytes, few, complete);
    if (some.lines.size() > few)
        __builtin_trap();

    const QByteArray header = cp932::fromUnicode(grid.rowText(0));
    if (FieldCount(header) > header.size() + 1)
        __builtin_trap();

    // Saved and opened again, every cell comes back.
    AddressBook reopened;
    DelimitedList::LoadDelimitedBytes(reopened, DelimitedList::CsvuBytes(grid),
                                      QStringLiteral("fuzz.csvu"), prompter);
    const AddressGrid& again = reopened.grid();
    if (again.rowCount() != grid.rowCount())
        __builtin_trap();
    const int widest = qMax(grid.columnCount(), again.columnCount());
    for (int r = 0; r < grid.rowCount(); ++r)
        for (int c = 0; c < widest; ++c)
            if (!sameShown(grid.cell(c, r), again.cell(c, r)))
                __builtin_trap();
    return 0;
}
