#pragma once

#include "addresslist/AddressBook.h"
#include "addresslist/RememberedMappings.h"

#include <QString>

class HeaderColumns;
class Prompter;

// Loads a list into `book` as the main window would: ".xls" as "開く" does, ".csv" and
// ".csvu" as "住所録を開く(&J)" does. Failures are told through `prompter`; returns false then.
// `*workbook` says which kind was loaded. A workbook that could be read only in part loads
// what was read, is told through `prompter` and sets `*damaged`. A list with other headers
// takes the user's remembered "列の対応" or the sure guess, as the window does without asking.
// With `cells`, a workbook's cells go there instead of into the sheets and the grid
// (AddressBook::LoadWorkbook).
bool LoadListFile(AddressBook& book, const QString& path, Prompter& prompter,
                  bool* workbook = nullptr, bool* damaged = nullptr,
                  const RememberedMappings& remembered = RememberedMappings(),
                  CellTarget* cells = nullptr);

// Loads an address list and finds its eleven header columns, as printing and the preview need
// them; false (told through `prompter`) when the list cannot be loaded or is no address list.
bool LoadAddressList(AddressBook& book, const QString& path, Prompter& prompter,
                     HeaderColumns& columns,
                     const RememberedMappings& remembered = RememberedMappings());

// The remembered mappings of the settings file at `path` (the window's own when empty); an
// unreadable file is told through `prompter` and gives nothing. The file is only read.
std::optional<RememberedMappings> ReadRememberedMappings(const QString& path, Prompter& prompter);
