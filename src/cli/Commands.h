#pragma once

#include <QStringList>

// One function per command of tayori-cli; each returns the process exit status.
int runCellsCommand(const QStringList& args);
int runBarcodeCommand(const QStringList& args);
int runComposeCommand(const QStringList& args);
int runPrintCommand(const QStringList& args);
int runAddressNumberCommand(const QStringList& args);
int runCheckCommand(const QStringList& args);
