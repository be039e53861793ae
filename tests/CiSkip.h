#pragma once

#include <QTest>

// A test that needs a tool, a font or a printer queue skips without it on a developer's
// machine. Under CI (the environment variable CI set), where scripts/install-deps and
// scripts/cups-queue have provided them, a missing one fails the test instead of hiding it.
#define SKIP_OR_FAIL_UNDER_CI(message)                                                             \
    do {                                                                                           \
        if (!qEnvironmentVariableIsEmpty("CI"))                                                    \
            QFAIL(message);                                                                        \
        QSKIP(message);                                                                            \
    } while (false)
