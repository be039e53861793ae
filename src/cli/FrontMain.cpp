#include "cli/Commands.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

// tayori-cli itself: `cells` runs here, in a program linked to QtCore alone, so that reading a
// big list's cells does not first load the GUI libraries (a tenth of the time of a workbook of
// tens of megabytes). Every other command, and the help, run in tayori-cli-full beside it,
// which takes over this process with the same arguments.

namespace {

bool asksForHelp(int argc, char* argv[])
{
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

std::string fullProgram()
{
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path = n > 0 ? std::string(self, size_t(n)) : std::string();
    path.erase(path.rfind('/') + 1);
    return path + "tayori-cli-full";
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("tayori-cli %s\n", TAYORI_VERSION);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "cells") == 0 && !asksForHelp(argc, argv)) {
        QCoreApplication app(argc, argv);
        return runCellsCommand(QCoreApplication::arguments().mid(2));
    }
    const std::string full = fullProgram();
    ::execv(full.c_str(), argv);
    std::fprintf(stderr, "tayori-cli: %s: %s\n", full.c_str(), std::strerror(errno));
    return 2;
}
