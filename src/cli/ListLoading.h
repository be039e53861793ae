#pragma once

#include "addresslist/AddressBook.h"

#include <QString>

class HeaderColumns;
class Prompter;

// Loads a list into `book` as the main window would: ".xls" as "開く" does, ".csv" and
// ".csvu" as "住所録を開く(&J)" does. Failures are told through `prompter`; returns false then.
// `*workbook` says which kind was loaded. A workbook that could be read only in part loads
// what was read, is told through `prompter` and sets `*damaged`. With `cells`, a workbook's
// cells go there instead of into the sheets and the grid (AddressBook::LoadWorkbook).
bool LoadListFile(AddressBook& book, const QString& path, Prompter& prompter,
                  bool* workbook = nullptr, bool* damaged = nullptr,
                  const AddressBook::CellSink* cells = nullptr);

// Loads an address list and finds its eleven header columns, as printing and the preview need
// them; false (told through `prompter`) when the list cannot be loaded or is no address list.
bool LoadAddressList(AddressBook& book, const QString& path, Prompter& prompter,
                     HeaderColumns& columns);
