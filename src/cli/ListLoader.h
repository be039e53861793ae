#pragma once

#include <QString>

class AddressBook;
class Prompter;

// Loads an address list as the main window's "開く" would (a workbook, or a ".csvu" list)
// and as "住所録を開く(&J)" would for ".csv". False, after telling `prompter`, when the file
// cannot be read or is of another kind. `workbook` says whether it was a workbook.
bool LoadAddressList(AddressBook& book, const QString& path, Prompter& prompter,
                     bool* workbook = nullptr);
