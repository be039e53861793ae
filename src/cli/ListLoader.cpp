#include "cli/ListLoader.h"

#include "addresslist/AddressBook.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/XBiffError.h"
#include "common/Prompter.h"

#include <QFileInfo>

#include <exception>

bool LoadAddressList(AddressBook& book, const QString& path, Prompter& prompter, bool* workbook)
{
    if (workbook)
        *workbook = false;
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == u"XLS") {
        // "開く"
        if (workbook)
            *workbook = true;
        try {
            if (book.LoadWorkbook(path) == AddressBook::LoadResult::Locked) {
                prompter.showError(AddressBook::LockedFileMessage());
                return false;
            }
        } catch (const XBiffError& error) {
            prompter.showError(error.message());
            return false;
        } catch (const std::exception& error) {
            prompter.showError(QString::fromLocal8Bit(error.what()));
            return false;
        }
        return true;
    }
    if (DelimitedList::IsDelimitedListFile(path)) {
        // "開く" for ".csvu", "住所録を開く(&J)" for both; the loader shows its own messages.
        return DelimitedList::LoadDelimitedList(book, path, prompter) ==
               DelimitedList::LoadStatus::Loaded;
    }
    prompter.showError(QStringLiteral("エクセルファイルかCSVUファイルに対応しています"));
    return false;
}
