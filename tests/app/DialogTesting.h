#pragma once

#include "addresslist/AddressBook.h"
#include "app/TForm1.h"

#include <QAbstractButton>
#include <QDialog>
#include <QList>
#include <QStringList>

#include <functional>
#include <tuple>

using SheetCells = QList<std::tuple<int, int, int, QString>>; // sheet, row, column, text

// Fills sheet slots the way the workbook reader's events do, then shows sheet 1.
inline void FillBook(AddressBook& book, const QStringList& sheetNames, const SheetCells& cells)
{
    QStringList tabs;
    for (int i = 1; i <= AddressBook::SheetSlots; ++i)
        tabs << QStringLiteral("Sheet%1").arg(i);
    book.setTabCaptions(tabs);
    book.setSheetCount(1);
    for (const QString& name : sheetNames)
        book.XBiff1ReadSheetName(name);
    for (const auto& [sheet, row, column, text] : cells)
        book.XBiff1ReadCell(sheet, row, column, text);
    book.ShowSheet(1);
    book.setTabCaptions(book.tabCaptions().mid(0, book.sheetCount() - 1));
}

// The eleven header names in sheet columns 0 to 10 of `sheet`, then one data row per entry
// of `rows`, its cells in the same column order.
inline SheetCells AddressSheetCells(int sheet, const QList<QStringList>& rows)
{
    static const QStringList header = {"宛先",   "郵便番号", "住所１",    "住所２",
                                       "会社名", "肩書き",   "敬称",      "連名",
                                       "敬称2",  "コード",   "印刷コード"};
    SheetCells cells;
    for (int c = 0; c < header.size(); ++c)
        cells.append({sheet, 0, c, header[c]});
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            cells.append({sheet, r + 1, c, rows[r][c]});
    return cells;
}

template <typename T> T* Child(QObject& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// Answers every modal dialog of `form` as a user would: `act` works the controls, then the
// button named `button` is clicked. Counts the dialogs shown in *shown.
inline void AnswerDialogs(TForm1& form, const QString& button, int* shown,
                          std::function<void(QDialog&)> act = {})
{
    form.setDialogRunner([=](QDialog& dialog) {
        ++*shown;
        if (act)
            act(dialog);
        dialog.findChild<QAbstractButton*>(button)->click();
        return dialog.result();
    });
}
