#pragma once

#include <QString>

class IniFile;
class Prompter;

// The value rules of the settings file: every value is written in double quotes; a missing
// key reads as "ER"; "ER", "IR" and the empty value count as missing; Booleans are "True" and
// "False"; integers are read leniently.
//
// A save of the settings is one atomic write that ends with the same content
// that writing the keys one by one through WriteSetting(path, ...) would give:
//     IniFile ini;
//     if (!SettingsText::OpenSettingsForWrite(path, &ini, &error)) -> write nothing
//     SettingsText::WriteSetting(ini, "Form", "top", QString::number(top));  ... every key
//     ini.save(&error);
// Keys that are not written keep the value the file already had.
namespace SettingsText {

// Opens the file afresh and reads one value: "ER" when the key (or the file) is missing; a
// value beginning with a double quote loses it and then a trailing double quote too.
QString ReadSetting(const QString& path, const QString& section, const QString& key);
// The same on a file already in memory.
QString ReadSetting(const IniFile& ini, const QString& section, const QString& key);

// "ER", "IR" and the empty value: the setting keeps its current value.
bool IsMissingValue(const QString& value);

// Writes one key and saves the file at once. A missing file is created only when
// `createIfMissing` is set (otherwise nothing happens). A read-only file asks
// "読み出し専用です。書き込みますか" ("問合わせ"); OK makes it writable, Cancel writes nothing.
// Returns true when the file was written; false with an empty *error when nothing was to be
// written, false with *error set when writing failed (the old file is then unchanged).
bool WriteSetting(const QString& path, const QString& section, const QString& key,
                  const QString& value, bool createIfMissing, Prompter& prompter,
                  QString* error = nullptr);
// Sets one key of a file in memory, the value enclosed in double quotes.
void WriteSetting(IniFile& ini, const QString& section, const QString& key, const QString& value);

// The start of the whole-file write: a read-only file is made writable without asking; if it
// stays read-only, false (write nothing) and *error says so. Otherwise loads the file
// (missing: empty) into *ini; a file that cannot be read gives false and *error.
bool OpenSettingsForWrite(const QString& path, IniFile* ini, QString* error = nullptr);

// File paths keep every character: a path that code page 932 cannot hold exactly is also
// written as percent-encoded UTF-8 under key + "U" ("DataFileU"), which reading prefers; the
// key itself keeps the code page 932 form for older readers. A path that code page 932 holds
// empties a "U" key left from before, so the two never disagree.
QString ReadPathSetting(const IniFile& ini, const QString& section, const QString& key);
QString ReadPathSetting(const QString& path, const QString& section, const QString& key);
void WritePathSetting(IniFile& ini, const QString& section, const QString& key,
                      const QString& value);

// "True" or "False".
QString BoolText(bool value);
// True for "TRUE" in any letter case, false for anything else.
bool IsTrueText(const QString& text);
// Decimal integer after every "," and " " is removed; not a number gives 0.
int IntOfText(const QString& text);

} // namespace SettingsText
