// Reading and writing real texts without the cost of strtod and printf on the common cases.
//
// Both fast paths compute exactly what the C library computes, and only where that is proven:
// - reading: a plain decimal of at most 19 digits whose digits fit in 53 bits, with at most 22
//   decimals, is one exact integer divided by an exact power of ten, which IEEE division rounds
//   correctly, as strtod does; other complete decimal texts go to std::from_chars, which also
//   rounds correctly; everything else (blanks, '+', hexadecimal, inf and nan words, trailing
//   text, out of range) goes to strtod itself.
// - writing: below 2^36, value x 10^8 is computed exactly in 128 bits and rounded half to even,
//   as glibc's printf rounds an exact binary value; larger values, inf and nan go to snprintf.
// Both rely on round-to-nearest and on a full stop as the decimal point, which the host may
// change per thread (fesetround, uselocale), so a codec checks them when it is made, once per
// predicate call; the library itself never changes either.

#include "real_text.h"

#include <cfenv>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <system_error>

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t MAX_EXACT_INTEGER = std::uint64_t(1) << 53;

constexpr std::uint32_t FIVE_TO_THE_DECIMALS = 390625; // 5^8
constexpr std::uint64_t TEN_TO_THE_DECIMALS = 100000000;
constexpr int FAST_WRITE_LIMIT_EXPONENT = 36; // |value| < 2^36: value x 10^8 fits in 63 bits
// Sign, the 11 integer digits of 2^36, point, decimals, terminator.
constexpr std::size_t FAST_TEXT_SIZE = 1 + 11 + 1 + REAL_TEXT_DECIMALS + 1;

// Round-to-nearest in both places that matter. On x86-64 these are two registers, both set by
// fesetround: the x87 control word, which fegetround reads and so strtod and printf follow (read
// here directly, as fegetround costs a library call), and MXCSR, which rounds the fast reader's
// division; that one is probed with two sums whose results differ in every other mode.
bool nearestRounding()
{
#if defined(__x86_64__)
    unsigned short control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    double half = 0x1p-53; // half a unit in the last place of 1
    __asm__("" : "+x"(half)); // so that the sums happen at run time, in the current mode
    return (control & 0xc00) == 0 && 1.0 + half == 1.0 && 1.0 + 1.5 * half != 1.0;
#else
    return std::fegetround() == FE_TONEAREST;
#endif
}

// nl_langinfo follows the thread's locale (uselocale) as strtod and printf do.
bool pointIsRadix()
{
    const char* radix = nl_langinfo(RADIXCHAR);
    return radix[0] == '.' && radix[1] == '\0';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The value of n decimal digits (n at most 19). Eight at a time where the byte order allows,
// so that the multiply chain is short.
std::uint64_t digitsValue(const char* p, std::size_t n)
{
    std::uint64_t value = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    for (; n >= 8; n -= 8, p += 8) {
        std::uint64_t chunk; // the first digit in the lowest byte
        std::memcpy(&chunk, p, sizeof chunk);
        chunk -= 0x3030303030303030;
        chunk = chunk * 10 + (chunk >> 8); // pairs of digits
        chunk = (((chunk & 0x000000FF000000FF) * (100 + (std::uint64_t(1000000) << 32))) +
                 (((chunk >> 16) & 0x000000FF000000FF) * (1 + (std::uint64_t(10000) << 32)))) >>
                32;
        value = value * 100000000 + (chunk & 0xFFFFFFFF);
    }
#endif
    for (; n > 0; --n, ++p)
        value = value * 10 + std::uint64_t(*p - '0');
    return value;
}

constexpr std::uint64_t INTEGER_POWERS_OF_TEN[] = {1,
                                                   10,
                                                   100,
                                                   1000,
                                                   10000,
                                                   100000,
                                                   1000000,
                                                   10000000,
                                                   100000000,
                                                   1000000000,
                                                   10000000000,
                                                   100000000000,
                                                   1000000000000,
                                                   10000000000000,
                                                   100000000000000,
                                                   1000000000000000,
                                                   10000000000000000,
                                                   100000000000000000,
                                                   1000000000000000000,
                                                   10000000000000000000u};

// [-]digits[.digits] or [-].digits and nothing after; false when it is not that simple. The
// digits are found first and converted afterwards, so every byte read is one already seen.
bool readPlainDecimal(const char* text, double& value)
{
    const char* p = text;
    bool negative = *p == '-';
    p += negative;
    const char* whole = p;
    while (isDigit(*p))
        ++p;
    std::size_t wholeDigits = std::size_t(p - whole);
    const char* fraction = p;
    std::size_t decimals = 0;
    bool point = *p == '.';
    if (point) {
        fraction = ++p;
        while (isDigit(*p))
            ++p;
        decimals = std::size_t(p - fraction);
    }
    std::size_t digits = wholeDigits + decimals;
    static_assert(MAX_EXACT_POWER >= 19, "every count of decimals below has its exact power of ten");
    if (*p != '\0' || digits == 0 || digits > 19)
        return false;
    // At most 19 digits: below 10^19, so no overflow.
    std::uint64_t digitsAsInteger =
        digitsValue(whole, wholeDigits) * INTEGER_POWERS_OF_TEN[decimals] + digitsValue(fraction, decimals);
    if (digitsAsInteger > MAX_EXACT_INTEGER)
        return false;
    double magnitude = double(digitsAsInteger) / EXACT_POWERS_OF_TEN[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

// A whole text that from_chars takes as a decimal number (sign, digits, point, exponent).
bool readCompleteDecimal(const char* text, double& value)
{
    char first = text[0] == '-' ? text[1] : text[0];
    if (!(isDigit(first) || first == '.'))
        return false;
    const char* end = text + std::strlen(text);
    std::from_chars_result result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// round(mantissa x 5^8 / 2^shift), halves to even: value x 10^8 for value = mantissa x 2^(8 - shift).
std::uint64_t scaleAndRound(std::uint64_t mantissa, int shift)
{
    Wide product = Wide(mantissa) * FIVE_TO_THE_DECIMALS; // below 2^72
    if (shift > 72)
        return 0; // below one half
    Wide quotient = product >> shift;
    Wide remainder = product - (quotient << shift);
    Wide half = Wide(1) << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0))
        ++quotient;
    return std::uint64_t(quotient);
}

constexpr char DIGIT_PAIRS[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                               "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                               "8081828384858687888990919293949596979899";

void writePair(char* p, std::uint64_t n) { std::memcpy(p, DIGIT_PAIRS + 2 * n, 2); }

// Writes [-]whole.ffffffff for scaled = value x 10^8, right to left, two digits at a time.
std::size_t writeScaled(char* out, bool negative, std::uint64_t scaled)
{
    char text[FAST_TEXT_SIZE];
    char* end = text + sizeof text - 1;
    char* p = end - REAL_TEXT_DECIMALS;
    std::uint64_t whole = scaled / TEN_TO_THE_DECIMALS, fraction = scaled % TEN_TO_THE_DECIMALS;
    std::uint64_t high = fraction / 10000, low = fraction % 10000; // independent halves
    writePair(p, high / 100);
    writePair(p + 2, high % 100);
    writePair(p + 4, low / 100);
    writePair(p + 6, low % 100);
    *--p = '.';
    for (; whole >= 100; whole /= 100)
        writePair(p -= 2, whole % 100);
    if (whole >= 10)
        writePair(p -= 2, whole);
    else
        *--p = char('0' + whole);
    if (negative)
        *--p = '-';
    std::size_t length = std::size_t(end - p);
    std::memcpy(out, p, length);
    out[length] = '\0';
    return length;
}

} // namespace

RealCodec::RealCodec() : fast(nearestRounding() && pointIsRadix()) {}

double RealCodec::read(const char* text) const
{
    double value;
    if (fast && (readPlainDecimal(text, value) || readCompleteDecimal(text, value)))
        return value;
    return std::strtod(text, nullptr);
}

std::size_t RealCodec::write(char* out, std::size_t size, double value) const
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = int(bits >> 52) & 0x7ff;
    if (fast && biased < 1023 + FAST_WRITE_LIMIT_EXPONENT && size >= FAST_TEXT_SIZE) {
        std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
        int exponent = -1074; // subnormal
        if (biased != 0) {
            mantissa |= std::uint64_t(1) << 52;
            exponent = biased - 1075;
        }
        // value x 10^8 = mantissa x 5^8 x 2^(exponent + 8), and exponent + 8 < 0 below 2^36.
        return writeScaled(out, (bits >> 63) != 0, scaleAndRound(mantissa, -(exponent + REAL_TEXT_DECIMALS)));
    }
    int length = std::snprintf(out, size, "%.*f", REAL_TEXT_DECIMALS, value);
    return length < 0 ? 0 : std::size_t(length);
}
