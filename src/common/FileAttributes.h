#pragma once

#include <QString>

// The read-only attribute of a file. On Windows it is the file attribute; elsewhere a file
// counts as read-only when its owner may not write it (checked on the permission bits, not by
// trying, so it holds for root as well).
namespace FileAttributes {

// True when the file exists and is read-only.
bool isReadOnly(const QString& path);

// Lets the owner write the file again. True when the file is writable afterwards or does not
// exist.
bool clearReadOnly(const QString& path);

} // namespace FileAttributes
