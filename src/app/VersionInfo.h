#pragma once

#include <QString>

// The program's version information, compiled in from the build: the project's version and a
// "Comments" address (the maker's page; by default the installed manual).
namespace VersionInfo {

// "0.1.0".
QString FileVersion();

// One of "Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName",
// "LegalCopyright", "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName",
// "ProductVersion", "SpecialBuild"; empty for a value the program does not carry.
QString VersionString(const QString& name);

// The manual's index page: the installed one (share/tayori/manual beside the executable's
// bin folder), else the source tree's for a run from the build folder; empty when neither
// exists.
QString ManualPath();

} // namespace VersionInfo
