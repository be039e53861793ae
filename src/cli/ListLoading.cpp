#include "cli/ListLoading.h"

#include "addresslist/AddressBook.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/HeaderColumns.h"
#include "addresslist/WorkbookFile.h"
#include "addresslist/XBiffError.h"
#include "common/Prompter.h"

#include <QFileInfo>

#include <exception>

bool LoadListFile(AddressBook& book, const QString& path, Prompter& prompter, bool* workbook,
                  bool* damaged, const RememberedMappings& remembered, CellTarget* cells)
{
    if (damaged)
        *damaged = false;
    const bool isWorkbook = WorkbookFile::IsWorkbookFile(path);
    if (workbook)
        *workbook = isWorkbook;
    if (isWorkbook) {
        try {
            const AddressBook::LoadResult result =
                cells ? book.LoadWorkbook(path, *cells) : book.LoadWorkbook(path);
            if (result == AddressBook::LoadResult::Locked) {
                prompter.showError(AddressBook::LockedFileMessage());
                return false;
            }
            if (result == AddressBook::LoadResult::Damaged) {
                prompter.showError(AddressBook::DamagedFileMessage());
                if (damaged)
                    *damaged = true;
            }
            if (book.sheetsLeftOut())
                prompter.showMessage(AddressBook::SheetsLeftOutMessage());
        } catch (const XBiffError& error) {
            prompter.showError(error.message());
            return false;
        } catch (const std::exception& error) {
            prompter.showError(QString::fromLocal8Bit(error.what()));
            return false;
        }
        if (!cells)
            remembered.MapColumns(book.grid());
        return true;
    }
    if (DelimitedList::IsDelimitedListFile(path)) {
        if (DelimitedList::LoadDelimitedList(book, path, prompter) !=
            DelimitedList::LoadStatus::Loaded)
            return false;
        // A list with other headers (a web address book's, a hand-kept one) maps onto ours.
        remembered.MapColumns(book.grid());
        return true;
    }
    prompter.showError(QStringLiteral("エクセルファイルかCSVUファイルに対応しています"));
    return false;
}

bool LoadAddressList(AddressBook& book, const QString& path, Prompter& prompter,
                     HeaderColumns& columns, const RememberedMappings& remembered)
{
    if (!LoadListFile(book, path, prompter, nullptr, nullptr, remembered))
        return false;
    if (!HeaderColumns::IsAddressList(book.grid())) {
        prompter.showError(QStringLiteral("宛名のリストではなさそうです"));
        return false;
    }
    return columns.FindHeaderColumns(book.grid(), &prompter);
}
