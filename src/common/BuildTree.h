#pragma once

#include <QString>

// A program run from its CMake build tree (make run, the tests) finds what the build made and
// the source tree's files through the tree itself, so no path of the build machine is compiled
// into the binaries. An installed program has no build tree above it.
namespace BuildTree {

// The build tree's top folder (the one holding CMakeCache.txt) at most four folders above
// `folder`; empty when there is none.
QString rootAbove(const QString& folder);
// The same for the running program's folder.
QString root();
// The source tree that build tree was configured from; empty without one.
QString sourceDir();

} // namespace BuildTree
