#pragma once

#include "postal/PostalIndex.h"

#include <QTest>

// The table the build made; a build without the package skips what needs it.
#ifdef TAYORI_HAVE_POSTAL_DATA
#define REQUIRE_POSTAL_DATA()                                                                      \
    do {                                                                                           \
        QVERIFY2(PostalIndex::shared().isLoaded(), qPrintable(PostalIndex::shared().errorText())); \
    } while (false)
#else
#define REQUIRE_POSTAL_DATA() QSKIP("built without the postal-code package")
#endif
