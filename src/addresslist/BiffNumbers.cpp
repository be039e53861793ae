#include "addresslist/BiffNumbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <string>
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
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0)
        return QStringLiteral("0");

    // Round once to 15 significant digits; the exponent of the rounded value picks the form.
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string_view sci(buf, res.ptr);
    const bool negative = sci.front() == '-';
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c >= '0' && c <= '9')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(),
                    exponent);

    std::string out;
    if (negative)
        out += '-';
    const int n = int(digits.size());
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            out += "0.";
            out.append(std::size_t(-exponent - 1), '0');
            out += digits;
        } else if (n <= exponent + 1) {
            out += digits;
            out.append(std::size_t(exponent + 1 - n), '0');
        } else {
            out += digits.substr(0, std::size_t(exponent + 1));
            out += '.';
            out += digits.substr(std::size_t(exponent + 1));
        }
    } else {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

} // namespace biffnumbers
