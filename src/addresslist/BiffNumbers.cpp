#include "addresslist/BiffNumbers.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <string_view>

namespace biffnumbers {

double decodeRk(std::uint32_t rk)
{
    double value;
    if (rk & 2u)
        value = double(std::int32_t(rk) >> 2);
    else
        value = std::bit_cast<double>(std::uint64_t(rk & 0xFFFFFFFCu) << 32);
    if (rk & 1u)
        value /= 100;
    return value;
}

QString formatGeneral(double value)
{
    char text[MaxGeneralLength];
    return QString::fromLatin1(text, formatGeneral(value, text));
}

namespace {

// nearbyint in the default rounding mode, for |x| < 2^52: adding 2^52 leaves no fraction bits,
// so the sum is rounded to a whole number, halves to even.
double roundHalfEven(double x)
{
    constexpr double big = 4503599627370496.0; // 2^52
    return x >= 0 ? (x + big) - big : (x - big) + big;
}

} // namespace

int formatGeneral(double value, char* text)
{
    const auto copy = [text](std::string_view s) {
        std::copy(s.begin(), s.end(), text);
        return int(s.size());
    };
    if (std::isnan(value))
        return copy("NAN");
    if (std::isinf(value))
        return copy(value > 0 ? "INF" : "-INF");
    if (value == 0)
        return copy("0");

    // Most cells of an address list hold whole numbers. (Casts and additions here rather than
    // trunc and nearbyint: no library call for each of millions of cells.)
    const double magnitude = std::abs(value);
    if (magnitude < 1e15) {
        const auto whole = static_cast<long long>(value);
        if (double(whole) == value)
            return int(std::to_chars(text, text + MaxGeneralLength, whole).ptr - text);
    }

    // Most other cells hold a few decimals: the text is then m / 10^k for the smallest k that
    // reads back as the value, and below 1E11 that is also its 15-digit rounding.
    if (magnitude < 1e11) {
        long long scale = 1;
        for (int k = 1; k <= 4; ++k) {
            scale *= 10;
            const double scaled = roundHalfEven(value * double(scale));
            if (scaled / double(scale) != value)
                continue;
            const auto digits = static_cast<long long>(std::abs(scaled));
            char fixed[40];
            char* p = fixed;
            if (value < 0)
                *p++ = '-';
            p = std::to_chars(p, fixed + sizeof fixed, digits / scale).ptr;
            *p++ = '.';
            long long fraction = digits % scale;
            for (int i = k - 1; i >= 0; --i) {
                p[i] = char('0' + fraction % 10);
                fraction /= 10;
            }
            p += k;
            return copy(std::string_view(fixed, size_t(p - fixed)));
        }
    }

    // Round once to 15 significant digits; the exponent of the rounded value picks the form.
    // The shortest form that reads back as the value is that rounding whenever it has 15
    // digits or fewer, and it is much cheaper to make.
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view sci(buf, res.ptr);
    std::size_t ePos = sci.find('e');
    const std::size_t mantissaDigits =
        ePos - (sci.front() == '-' ? 1 : 0) - (sci.find('.') < ePos ? 1 : 0);
    if (mantissaDigits > 15) {
        res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
        sci = std::string_view(buf, res.ptr);
        ePos = sci.find('e');
    }
    const bool negative = sci.front() == '-';
    char digits[24];
    int n = 0;
    for (char c : sci.substr(0, ePos))
        if (c >= '0' && c <= '9' && n < int(sizeof digits))
            digits[n++] = c;
    while (n > 1 && digits[n - 1] == '0')
        --n;
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);

    char out[48];
    int k = 0;
    if (negative)
        out[k++] = '-';
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out[k++] = '0';
            out[k++] = '.';
            for (int i = 0; i < -exponent - 1; ++i)
                out[k++] = '0';
            for (int i = 0; i < n; ++i)
                out[k++] = digits[i];
        } else {
            for (int i = 0; i < n || i <= exponent; ++i) {
                if (i == exponent + 1)
                    out[k++] = '.';
                out[k++] = i < n ? digits[i] : '0';
            }
        }
    } else {
        out[k++] = digits[0];
        if (n > 1) {
            out[k++] = '.';
            for (int i = 1; i < n; ++i)
                out[k++] = digits[i];
        }
        out[k++] = 'E';
        k = int(std::to_chars(out + k, out + sizeof out, exponent).ptr - out);
    }
    return copy(std::string_view(out, size_t(k)));
}

} // namespace biffnumbers
