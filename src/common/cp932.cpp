#include "common/cp932.h"

#include <unicode/ucnv.h>

#include <map>
#include <memory>
#include <mutex>

namespace {

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name)
{
    UErrorCode status = U_ZERO_ERROR;
    Converter conv(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return nullptr;
    return conv;
}

Converter openCp932()
{
    Converter conv = openConverter("ibm-943_P15A-2003");
    if (!conv)
        conv = openConverter("windows-31j");
    if (conv) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setSubstChars(conv.get(), "?", 1, &status);
        ucnv_setFallback(conv.get(), false);
    }
    return conv;
}

// Characters that Windows maps onto a code of a look-alike character.
char16_t windowsLookAlike(char16_t c)
{
    switch (c) {
    case 0x301C:
        return 0xFF5E; // WAVE DASH -> FULLWIDTH TILDE (0x8160)
    case 0x2014:
        return 0x2015; // EM DASH -> HORIZONTAL BAR (0x815C)
    case 0x2016:
        return 0x2225; // DOUBLE VERTICAL LINE -> PARALLEL TO (0x8161)
    case 0x2212:
        return 0xFF0D; // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (0x817C)
    case 0x00A2:
        return 0xFFE0; // CENT SIGN (0x8191)
    case 0x00A3:
        return 0xFFE1; // POUND SIGN (0x8192)
    case 0x00AC:
        return 0xFFE2; // NOT SIGN (0x81CA)
    default:
        return c;
    }
}

QString decodeWith(UConverter* conv, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    QString out(bytes.size() * 2 + 4, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv);
    const int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), out.size(),
                                    bytes.data(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return QString::fromLatin1(bytes.data(), bytes.size());
    out.truncate(n);
    return out;
}

// One converter per code page, opened on first use; the program has one thread but tests
// and tools may not, so the cache is locked.
std::mutex cacheMutex;

} // namespace

namespace cp932 {

QByteArray fromUnicode(QStringView text)
{
    if (text.isEmpty())
        return {};
    std::lock_guard lock(cacheMutex);
    static Converter conv = openCp932();
    QString mapped = text.toString();
    for (QChar& ch : mapped)
        ch = QChar(windowsLookAlike(ch.unicode()));
    QByteArray out(mapped.size() * 2 + 4, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(conv.get());
    const int32_t n =
        ucnv_fromUChars(conv.get(), out.data(), out.size(),
                        reinterpret_cast<const UChar*>(mapped.constData()), mapped.size(), &status);
    if (U_FAILURE(status))
        return mapped.toLatin1();
    out.truncate(n);
    return out;
}

QString toUnicode(QByteArrayView bytes)
{
    std::lock_guard lock(cacheMutex);
    static Converter conv = openCp932();
    return decodeWith(conv.get(), bytes);
}

QString decodeCodePage(QByteArrayView bytes, int codePage)
{
    switch (codePage) {
    case 932:
        return toUnicode(bytes);
    case 1200:
        return QString(reinterpret_cast<const QChar*>(bytes.data()), bytes.size() / 2);
    case 65001:
        return QString::fromUtf8(bytes);
    case 367:
    case 20127:
        return QString::fromLatin1(bytes);
    default:
        break;
    }
    std::lock_guard lock(cacheMutex);
    static std::map<int, Converter> cache;
    auto it = cache.find(codePage);
    if (it == cache.end()) {
        Converter conv;
        if (codePage == 10000)
            conv = openConverter("macintosh");
        else if (codePage > 0 && codePage < 65536)
            conv = openConverter(QByteArray("windows-" + QByteArray::number(codePage)).constData());
        if (!conv && codePage > 0)
            conv = openConverter(QByteArray("ibm-" + QByteArray::number(codePage)).constData());
        it = cache.emplace(codePage, std::move(conv)).first;
    }
    if (!it->second) {
        static Converter fallback = openCp932();
        return decodeWith(fallback.get(), bytes);
    }
    return decodeWith(it->second.get(), bytes);
}

} // namespace cp932
