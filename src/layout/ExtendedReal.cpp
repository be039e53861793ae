#include "layout/ExtendedReal.h"

#include <bit>
#include <cstring>

namespace ExtendedReal {

namespace {
constexpr int ExtendedBias = 16383;
constexpr int DoubleBias = 1023;
} // namespace

Bytes fromDouble(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = bits >> 63;
    const int exponent = int((bits >> 52) & 0x7FF);
    std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);

    std::uint16_t outExponent = 0;
    std::uint64_t significand = 0;
    if (exponent == 0x7FF) { // infinity or NaN: the integer bit is set in both
        outExponent = 0x7FFF;
        significand = (std::uint64_t(1) << 63) | (fraction << 11);
    } else if (exponent != 0) {
        outExponent = std::uint16_t(exponent - DoubleBias + ExtendedBias);
        significand = (std::uint64_t(1) << 63) | (fraction << 11);
    } else if (fraction != 0) { // subnormal double: normal in the wider exponent range
        const int shift = std::countl_zero(fraction);
        significand = fraction << shift;
        outExponent = std::uint16_t(1 - DoubleBias + ExtendedBias - (shift - 11));
    }
    if (negative)
        outExponent |= 0x8000;

    Bytes out{};
    for (int i = 0; i < 8; ++i)
        out[i] = std::uint8_t(significand >> (8 * i));
    out[8] = std::uint8_t(outExponent);
    out[9] = std::uint8_t(outExponent >> 8);
    return out;
}

double toDouble(const std::uint8_t* bytes)
{
    std::uint64_t significand = 0;
    for (int i = 0; i < 8; ++i)
        significand |= std::uint64_t(bytes[i]) << (8 * i);
    const std::uint16_t top = std::uint16_t(bytes[8] | (bytes[9] << 8));
    const bool negative = top & 0x8000;
    const int exponent = top & 0x7FFF;
    const std::uint64_t sign = std::uint64_t(negative) << 63;

    std::uint64_t bits;
    if (exponent == 0x7FFF) {
        const std::uint64_t fraction = (significand << 1) >> 12;
        if ((significand << 1) == 0)
            bits = sign | (std::uint64_t(0x7FF) << 52); // infinity
        else // NaN, kept quiet even when its payload would not survive the narrowing
            bits = sign | (std::uint64_t(0x7FF) << 52) | fraction | (std::uint64_t(1) << 51);
    } else if (significand == 0) {
        bits = sign;
    } else {
        // value = significand x 2^(e - 63); normalise so that bit 63 is set.
        int e = (exponent == 0 ? 1 : exponent) - ExtendedBias;
        const int lead = std::countl_zero(significand);
        significand <<= lead;
        e -= lead;

        // Keep 53 bits; fewer below the normal range of double.
        int drop = 11;
        if (e < 1 - DoubleBias)
            drop += (1 - DoubleBias) - e;
        std::uint64_t kept;
        bool roundUp;
        if (drop >= 64) {
            kept = 0;
            // Only a value above half the smallest subnormal rounds up to it.
            roundUp = drop == 64 && significand > (std::uint64_t(1) << 63);
        } else {
            kept = significand >> drop;
            const std::uint64_t rest = significand & ((std::uint64_t(1) << drop) - 1);
            const std::uint64_t half = std::uint64_t(1) << (drop - 1);
            roundUp = rest > half || (rest == half && (kept & 1));
        }
        if (roundUp)
            ++kept;

        if (drop > 11) { // subnormal result (it may have rounded up into the normal range)
            bits = sign | kept;
        } else {
            if (kept >> 53) { // rounding carried into a new bit
                kept >>= 1;
                ++e;
            }
            if (e + DoubleBias >= 0x7FF)
                bits = sign | (std::uint64_t(0x7FF) << 52);
            else
                bits = sign | (std::uint64_t(e + DoubleBias) << 52) |
                       (kept & ((std::uint64_t(1) << 52) - 1));
        }
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace ExtendedReal
