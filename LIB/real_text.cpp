// Reading and writing real texts without the cost of strtod and printf on the common cases.
//
// Both fast paths compute exactly what the C library computes, and only where that is proven:
// - reading: a decimal with an optional exponent is found by its length (strlen) and passed once,
//   its digits summed eight at a time. Up to 19 digits it is one exact integer times or over a
//   power of ten: where both are exact doubles (the integer within 2^53, the power within 10^22)
//   one IEEE operation rounds the result correctly, as strtod does; with any other power the
//   integer is multiplied by the leading 64 bits of the power of five, which settles the rounding
//   unless the product lies within two units of a tie. Up to 38 digits, trailing zeros aside,
//   128-bit integer arithmetic gives the same single rounding, in a range up to 10^31 and down to
//   10^-31; more digits are cut to 19, and where the cut value and the next one up round alike,
//   the text does too. What none of these settles goes to std::from_chars, which also rounds
//   correctly; everything else (blanks, '+', hexadecimal, inf and nan words, trailing text, out
//   of range) goes to strtod itself (readSimpleDecimal).
// - writing: below 2^36, value x 10^8 is computed exactly in 128 bits and rounded half to even,
//   as glibc's printf rounds an exact binary value; larger finite values go to std::to_chars in
//   fixed notation, which also writes the exact binary value rounded half to even, at a tenth of
//   snprintf's cost or less; inf and nan (and a text too long for the buffer) go to snprintf.
// The reader is kept beside std::from_chars only because it is faster on every size of text that
// make bench reads (its `read texts` rows), and each of its steps only where it brought the reader
// closer to from_chars; the writer beats to_chars below 2^36 severalfold. The figures behind each
// step are in bench/README.md, under "The reader" and "The writer".
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
#include <optional>
#include <system_error>

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t MAX_EXACT_INTEGER = std::uint64_t(1) << 53;

// base^0 to base^(Count - 1), computed once at compile time.
template <class Integer, int Count>
struct Powers {
    Integer value[Count];
    explicit constexpr Powers(Integer base) : value()
    {
        value[0] = 1;
        for (int i = 1; i < Count; ++i)
            value[i] = value[i - 1] * base;
    }
    constexpr Integer operator[](std::size_t i) const { return value[i]; }
};

constexpr Powers<std::uint64_t, 20> INTEGER_POWERS_OF_TEN(10); // to 10^19, below 2^64
constexpr Powers<Wide, 32> POWERS_OF_FIVE(5);                  // to 5^31, below 2^72

constexpr Wide FIVE_TO_THE_DECIMALS = POWERS_OF_FIVE[REAL_TEXT_DECIMALS];
constexpr std::uint64_t TEN_TO_THE_DECIMALS = INTEGER_POWERS_OF_TEN[REAL_TEXT_DECIMALS];

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

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool EIGHT_AT_A_TIME = true;
#else
constexpr bool EIGHT_AT_A_TIME = false;
#endif

// Eight bytes as one word, the first in the lowest byte (on the byte orders that read this way).
std::uint64_t eightBytes(const char* p)
{
    std::uint64_t chunk;
    std::memcpy(&chunk, p, sizeof chunk);
    return chunk;
}

// The value of eight digits, the first in the lowest byte: pairs, then fours, then all eight, each
// step one multiplication that adds two neighbouring lanes.
std::uint64_t eightDigitsValue(std::uint64_t chunk)
{
    chunk -= 0x3030303030303030;
    chunk = chunk * 10 + (chunk >> 8); // pairs of digits
    chunk = (((chunk & 0x000000FF000000FF) * (100 + (std::uint64_t(1000000) << 32))) +
             (((chunk >> 16) & 0x000000FF000000FF) * (1 + (std::uint64_t(10000) << 32)))) >>
            32;
    return chunk & 0xFFFFFFFF;
}

// The value of n decimal digits (n at most 19), eight at a time where the byte order allows, so
// that the multiply chain is short.
std::uint64_t digitsValue(const char* p, std::size_t n)
{
    std::uint64_t value = 0;
    if (EIGHT_AT_A_TIME)
        for (; n >= 8; n -= 8, p += 8)
            value = value * 100000000 + eightDigitsValue(eightBytes(p));
    for (; n > 0; --n, ++p)
        value = value * 10 + std::uint64_t(*p - '0');
    return value;
}

// Which bytes of a word are not digits: the top bit of each such byte is set, exactly for the
// lowest one and those below it being digits (subtracting '0' borrows from, and adding 0x46
// carries into, the top bit of a byte that lies below '0' or above '9'; a borrow or carry passing
// on to the next byte starts only at a byte that already fails).
std::uint64_t nonDigits(std::uint64_t chunk)
{
    return ((chunk - 0x3030303030303030) | (chunk + 0x4646464646464646)) & 0x8080808080808080;
}

// Passes the digits from p on and adds them to n (n x 10 + digit each), eight at a time while
// eight bytes remain before `end`. Past 19 digits n is not used: it wraps, and past 24 the
// chunks are only checked, as their sum is not used either.
inline __attribute__((always_inline)) const char* scanDigits(const char* p, const char* end, std::uint64_t& n)
{
    if (EIGHT_AT_A_TIME) {
        std::uint64_t chunk;
        if (end - p >= 8 && nonDigits(chunk = eightBytes(p)) == 0) {
            // The first word apart: n is zero there at every call, so no multiplication waits for it
            // (make bench, read texts 1e7-1e10).
            n = n * 100000000 + eightDigitsValue(chunk);
            p += 8;
            for (int chunks = 1; end - p >= 8 && nonDigits(chunk = eightBytes(p)) == 0; p += 8)
                if (++chunks <= 3)
                    n = n * 100000000 + eightDigitsValue(chunk);
        }
    }
    for (; isDigit(*p); ++p)
        n = n * 10 + std::uint64_t(*p - '0');
    return p;
}

constexpr int MAX_WIDE_POWER = int(sizeof POWERS_OF_FIVE.value / sizeof(Wide)) - 1;

// Digits that the wide path takes: below 10^38 < 2^127.
constexpr std::size_t MAX_WIDE_DIGITS = 38;

constexpr int bitLength(Wide n)
{
    std::uint64_t high = std::uint64_t(n >> 64), low = std::uint64_t(n);
    return high != 0 ? 128 - __builtin_clzll(high) : low != 0 ? 64 - __builtin_clzll(low) : 0;
}

// 2^exponent, or -2^exponent when negative, for -1022 <= exponent <= 1023.
double powerOfTwo(int exponent, bool negative = false)
{
    std::uint64_t bits = std::uint64_t(1023 + exponent) << 52 | std::uint64_t(negative) << 63;
    double power;
    std::memcpy(&power, &bits, sizeof power);
    return power;
}

// The double nearest to n x 2^exponent, or to a value a little above that when `inexact` (a
// fraction of n's last unit was cut off). n is first cut to 63 bits, whatever it loses joining
// the inexact flag, which is then OR-ed into its last bit: with 55 bits or more that bit lies
// below the one that decides the rounding, so it breaks ties only, as the cut-off part would.
// The conversion to double is the one rounding (to nearest, as checked); the scaling by a power
// of two is exact while the result is a normal number, which every caller's range guarantees.
double nearestDouble(Wide n, bool inexact, int exponent)
{
    int excess = bitLength(n) - 63;
    if (excess > 0) {
        inexact = inexact || (n & ((Wide(1) << excess) - 1)) != 0;
        n >>= excess;
        exponent += excess;
    }
    return double(std::int64_t(std::uint64_t(n) | std::uint64_t(inexact))) * powerOfTwo(exponent);
}

// The leading 64 bits of 5^q, rounded down, for every q that a double needs: value[q - MIN] x
// 2^-shift[q - MIN] is 5^q less than one unit of value, whose top bit is set. Computed at
// compile time in 32-bit limbs: upward by multiplying by 5, downward by dividing 2^1023 by 5
// again and again (a floor of a floor is the floor of the whole quotient, so each step is exact).
struct LeadingBitsOfFive {
    static constexpr int MIN = -342, MAX = 308; // 10^-342 x (2^64 - 1) is below the least subnormal
    static constexpr int LIMBS = 32;            // 1024 bits: 5^308 takes 716, 2^1023 / 5^342 keeps 229
    std::uint64_t value[MAX - MIN + 1];
    int shift[MAX - MIN + 1];

    constexpr LeadingBitsOfFive() : value(), shift()
    {
        std::uint32_t up[LIMBS] = {1}, down[LIMBS] = {};
        down[LIMBS - 1] = 0x80000000; // 2^1023
        for (int q = 0; q <= MAX; ++q, multiplyByFive(up))
            keep(q, up, 0);
        for (int q = -1; q >= MIN; --q) {
            divideByFive(down);
            keep(q, down, 1023); // down is 2^1023 / 5^-q, rounded down
        }
    }

private:
    static constexpr void multiplyByFive(std::uint32_t* limbs)
    {
        std::uint64_t carry = 0;
        for (int k = 0; k < LIMBS; ++k) {
            carry += std::uint64_t(limbs[k]) * 5;
            limbs[k] = std::uint32_t(carry);
            carry >>= 32;
        }
    }
    static constexpr void divideByFive(std::uint32_t* limbs)
    {
        std::uint64_t remainder = 0;
        for (int k = LIMBS - 1; k >= 0; --k) {
            std::uint64_t part = remainder << 32 | limbs[k];
            limbs[k] = std::uint32_t(part / 5);
            remainder = part % 5;
        }
    }
    // The number is limbs x 2^-scale (scale 0 for 5^q itself, 1023 for 2^1023 / 5^-q).
    constexpr void keep(int q, const std::uint32_t* limbs, int scale)
    {
        int top = LIMBS - 1;
        while (limbs[top] == 0)
            --top;
        int bits = 32 * top + 32 - __builtin_clz(limbs[top]);
        std::uint64_t kept = 0; // the 64 bits from the leading one down, zeros past the last limb
        for (int bit = bits - 1; bit >= bits - 64; --bit)
            kept = kept << 1 | (bit >= 0 ? (limbs[bit / 32] >> (bit % 32)) & 1 : 0);
        value[q - MIN] = kept;
        shift[q - MIN] = 64 - bits + scale;
    }
};
constexpr LeadingBitsOfFive LEADING_BITS_OF_FIVE;

// The functions from here to decimalValue give a text's value with its sign, which rides on a
// power that they load or make anyway. A branch on the sign after the result, which no predictor
// can learn when signs come at random, slowed texts of either sign (make bench, read texts
// 1e7-1e10).

// n x 10^power for n from 1 to 2^64 by one multiplication with the leading 64 bits of 5^power,
// where no division or wider product is needed and from_chars is not: 17-digit texts and
// exponent forms. With n shifted to 64 bits, the high half of the product, scaled by
// 2^(64 - shift), lies below the exact value by less than two of its units (the table's rounding
// and the low half left out each count less than one); so unless its bits below the 53 kept
// are half a unit or one less, where the exact value may lie on either side of a tie or on it,
// the exact value rounds as that high half with a set bit at the bottom. False then, and for
// results near or past the ends of the normal range, for the exact paths or from_chars to
// settle (two in a thousand).
bool scaleByLeadingBits(std::uint64_t n, long long power, bool negative, double& value)
{
    if (power < LeadingBitsOfFive::MIN || power > LeadingBitsOfFive::MAX)
        return false;
    const int index = int(power) - LeadingBitsOfFive::MIN;
    const int zeros = __builtin_clzll(n);
    const std::uint64_t w = n << zeros;
    const std::uint64_t high = std::uint64_t((Wide(w) * LEADING_BITS_OF_FIVE.value[index]) >> 64);
    const int wider = int(high >> 63); // high is at least 2^62: 63 bits, or 64
    const std::uint64_t half = std::uint64_t(1) << (9 + wider), below = high & (2 * half - 1);
    if (below - (half - 1) <= 1)
        return false;
    // 10^power = 5^power x 2^power, and 5^power is leading x 2^-shift. The last bit of high,
    // dropped so that the conversion takes a signed 64-bit integer, lies below the one that
    // decides the rounding either way; so the scale does not wait for the product.
    const int exponent = 65 - LEADING_BITS_OF_FIVE.shift[index] + int(power) - zeros;
    if (exponent < -1022 || exponent > 1023 - 63)
        return false;
    value = double(std::int64_t((high >> 1) | 1)) * powerOfTwo(exponent, negative);
    return true;
}

// n / 10^decimals, correctly rounded, for n from 1 to 2^128 and decimals up to 31: n is shifted
// so that the integer quotient by 5^decimals (below 2^72) has 55 bits or more, and the remainder
// says whether anything was cut off. The shift also keeps the quotient below 2^57, where it can,
// so that a divisor below 2^64 takes one machine division. The result lies between 10^-31 and
// 10^38, a normal number.
double wideQuotient(Wide n, int decimals)
{
    Wide divisor = POWERS_OF_FIVE[decimals];
    int shift = 55 + bitLength(divisor) - bitLength(n); // n x 2^shift >= 2^54 x 2^bitLength(divisor)
    shift = shift < 0 ? 0 : shift;                      // and at most 127 - bitLength(n): no overflow
    Wide numerator = n << shift;
    Wide quotient = numerator / divisor;
    return nearestDouble(quotient, numerator - quotient * divisor != 0, -shift - decimals);
}

// n x 10^count + the value of `count` digits at p, up to 19 at a time.
Wide appendDigits(Wide n, const char* p, std::size_t count)
{
    while (count > 0) {
        std::size_t chunk = count < 19 ? count : 19;
        n = n * INTEGER_POWERS_OF_TEN[chunk] + digitsValue(p, chunk);
        p += chunk;
        count -= chunk;
    }
    return n;
}

// Exponents from this on are counted no further and the text is left to the C library: a count
// cut short would be wrong where as many trailing zeros bring the power of ten back into range.
constexpr int EXPONENT_CAP = 100000;

// 10^0 to 10^22, then the same negated: the sign of a text rides on its power of ten, which is
// loaded anyway, rather than on a branch after the result.
struct SignedPowersOfTen {
    double value[2][MAX_EXACT_POWER + 1];
    constexpr SignedPowersOfTen() : value()
    {
        for (int k = 0; k <= MAX_EXACT_POWER; ++k) {
            value[0][k] = EXACT_POWERS_OF_TEN[k];
            value[1][k] = -EXACT_POWERS_OF_TEN[k];
        }
    }
};
constexpr SignedPowersOfTen SIGNED_POWERS_OF_TEN;

// n x 10^power where one IEEE multiplication or division does it: n within 2^53 and |power|
// within 22 are exact doubles, and the operation rounds their exact product or quotient
// correctly, as strtod does.
bool scaleExactly(std::uint64_t n, long long power, bool negative, double& value)
{
    if (n > MAX_EXACT_INTEGER || power < -MAX_EXACT_POWER || power > MAX_EXACT_POWER)
        return false;
    double exact = double(n);
    const double* powers = SIGNED_POWERS_OF_TEN.value[negative];
    value = power < 0 ? exact / powers[-power] : exact * powers[power];
    return true;
}

// n x 10^power for n from 1 to 2^128 in 128-bit integers, rounded once (nearestDouble): a
// quotient for power down to -31, a product for power up to 31 where it fits.
bool scaleWide(Wide n, long long power, bool negative, double& value)
{
    if (power < 0 && power >= -MAX_WIDE_POWER)
        value = wideQuotient(n, int(-power));
    else if (power >= 0 && power <= MAX_WIDE_POWER && bitLength(n) + bitLength(POWERS_OF_FIVE[power]) <= 128)
        value = nearestDouble(n * POWERS_OF_FIVE[power], false, int(power));
    else
        return false;
    value = negative ? -value : value;
    return true;
}

// n x 10^power for n below 2^64 where the ways below fail (n is 0, or the leading bits lie too
// near a tie): without the trailing zeros (12345700000 is 123457 x 10^5) one IEEE operation, or
// 128-bit integers. Out of line, so that the common ways stay short.
__attribute__((noinline)) bool lastValue(std::uint64_t n, long long power, bool negative, double& value)
{
    if (n == 0) {
        value = negative ? -0.0 : 0.0;
        return true;
    }
    for (; n % 10 == 0; n /= 10)
        ++power;
    return scaleExactly(n, power, negative, value) || scaleWide(n, power, negative, value);
}

// n x 10^power for n below 2^64: one IEEE operation where it is exact, else the leading bits of
// five, else lastValue.
inline __attribute__((always_inline)) bool integerValue(std::uint64_t n, long long power, bool negative,
                                                        double& value)
{
    if (scaleExactly(n, power, negative, value) || (n != 0 && scaleByLeadingBits(n, power, negative, value)))
        return true;
    double last; // a variable of its own, as its address goes out of line; `value` stays in a register
    if (!lastValue(n, power, negative, last))
        return false;
    value = last;
    return true;
}

// Where the digits are too many for 128 bits (or their power of ten for scaleWide): the first 19
// significant ones, w, and the power of ten of the last of them. The digits after those make the
// value lie strictly between w and w + 1 at that power (the last digit is not a zero), so where
// both of these round to the same double, so does the value; else false (hardly ever), for
// from_chars to settle.
bool truncatedValue(const char* whole, std::size_t wholeDigits, const char* fraction, std::size_t decimals,
                    long long exponent, bool negative, double& value)
{
    std::size_t zeros = 0; // leading
    while (zeros < wholeDigits && whole[zeros] == '0')
        ++zeros;
    const char* first = whole + zeros;
    std::size_t firstCount = wholeDigits - zeros, skipped = 0;
    if (firstCount == 0)
        while (skipped < decimals && fraction[skipped] == '0')
            ++skipped;
    const std::size_t significant = firstCount + decimals - skipped;
    if (significant == 0) {
        value = negative ? -0.0 : 0.0;
        return true;
    }
    firstCount = firstCount < 19 ? firstCount : 19;
    std::size_t secondCount = decimals - skipped < 19 - firstCount ? decimals - skipped : 19 - firstCount;
    std::uint64_t w = digitsValue(first, firstCount) * INTEGER_POWERS_OF_TEN[secondCount] +
                      digitsValue(fraction + skipped, secondCount);
    long long power = exponent - static_cast<long long>(decimals) +
                      static_cast<long long>(significant - firstCount - secondCount);
    if (firstCount + secondCount == significant)
        return integerValue(w, power, negative, value);
    double above;
    return scaleByLeadingBits(w, power, negative, value) && scaleByLeadingBits(w + 1, power, negative, above) &&
           above == value;
}

// A run of digits in a text, and their value where they are 19 or fewer.
struct Digits {
    const char* start;
    std::size_t count;
    std::uint64_t value;

    // The value of the first n of them, n at most 19: summed already where they are all.
    std::uint64_t leading(std::size_t n) const { return n == count ? value : digitsValue(start, n); }
};

__attribute__((noinline)) std::optional<double> manyDigitsValue(const Digits& whole, const Digits& fraction,
                                                                 std::size_t decimals, long long exponent,
                                                                 bool negative);

// whole.fraction x 10^exponent: as one integer where its digits are 19 or fewer, else
// manyDigitsValue, out of line: inlined, its 128-bit paths crowded the registers, so that the
// common path kept its sums in memory (make bench, read texts 17digits<1e4).
inline __attribute__((always_inline)) bool decimalValue(const Digits& whole, const Digits& fraction,
                                                        long long exponent, bool negative, double& value)
{
    std::size_t wholeDigits = whole.count, decimals = fraction.count;
    if (decimals <= 19 && fraction.value == 0) // the library's texts of whole values: 1361060000.00000000
        decimals = 0;
    // As one integer where that has 19 digits or fewer, a whole part of 0 aside (0.0012...).
    if (decimals <= 19 && (wholeDigits + decimals <= 19 || (wholeDigits <= 19 && whole.value == 0))) {
        std::uint64_t n = whole.value * INTEGER_POWERS_OF_TEN[decimals] + fraction.value;
        long long power = exponent - static_cast<long long>(decimals);
        return integerValue(n, power, negative, value);
    }
    // Copies, so that only this path puts the records in memory.
    const Digits wholeCopy = whole, fractionCopy = fraction;
    std::optional<double> many = manyDigitsValue(wholeCopy, fractionCopy, decimals, exponent, negative);
    if (!many)
        return false;
    value = *many;
    return true;
}

// Texts of more than 19 digits (decimals of them): up to 38 without their trailing zeros go to
// 128-bit integers, and more are cut to 19.
std::optional<double> manyDigitsValue(const Digits& whole, const Digits& fraction, std::size_t decimals,
                                      long long exponent, bool negative)
{
    std::size_t wholeDigits = whole.count;
    double value;
    while (decimals > 0 && fraction.start[decimals - 1] == '0')
        --decimals;
    if (decimals == 0)
        for (; wholeDigits > 0 && whole.start[wholeDigits - 1] == '0'; --wholeDigits)
            ++exponent;
    if (wholeDigits + decimals <= MAX_WIDE_DIGITS) {
        Wide n = wholeDigits <= 19 && decimals <= 19
                     ? Wide(whole.leading(wholeDigits)) * INTEGER_POWERS_OF_TEN[decimals] + fraction.leading(decimals)
                     : appendDigits(appendDigits(0, whole.start, wholeDigits), fraction.start, decimals);
        long long power = exponent - static_cast<long long>(decimals);
        if (n >> 64 == 0 ? integerValue(std::uint64_t(n), power, negative, value)
                         : scaleWide(n, power, negative, value))
            return value;
    }
    if (truncatedValue(whole.start, wholeDigits, fraction.start, decimals, exponent, negative, value))
        return value;
    return std::nullopt;
}

// A whole part is passed eight digits at a time only in texts long enough for eight of them, a
// point and eight decimals. In shorter ones, most texts, it is short, and the word that a check
// would read and reject made them slower (make bench, read texts short<1e4).
constexpr std::ptrdiff_t LONG_WHOLE_TEXT = 8 + 1 + 8;
// Likewise a fraction, but for the library's own 8 decimals at the end of a text: what %g and %e
// write after the point (at most 6 digits and an exponent such as e+250) is too short for a word
// of digits, and passing it byte by byte is faster than checking the word (make bench-compare,
// addR_iii 1e9-1e10,%g).
constexpr std::ptrdiff_t SHORT_EXPONENT_TAIL = 6 + 5;

// [-]digits[.digits] or [-].digits, then optionally e or E, a sign and digits, and nothing after;
// false when it is not that simple. The digits are summed as they are passed, eight at a time
// where eight bytes of the text remain.
bool readSimpleDecimal(const char* text, double& value)
{
    const char* const end = text + std::strlen(text);
    const char* p = text;
    bool negative = *p == '-';
    p += negative;
    // The sums in variables of their own: in the Digits records they went through memory. The
    // byte-by-byte loops stand here apart from scanDigits': one scan taking a flag for words was
    // slower on short texts (make bench-compare, addR_iii short<1e4).
    const char* const wholeStart = p;
    std::uint64_t wholeValue = 0, fractionValue = 0;
    if (EIGHT_AT_A_TIME && end - p >= LONG_WHOLE_TEXT && nonDigits(eightBytes(p)) == 0)
        p = scanDigits(p, end, wholeValue);
    else // most whole parts are short
        for (; isDigit(*p); ++p)
            wholeValue = wholeValue * 10 + std::uint64_t(*p - '0');
    const Digits whole = {wholeStart, std::size_t(p - wholeStart), wholeValue};
    const char* fractionStart = p;
    if (*p == '.') {
        fractionStart = ++p;
        if (end - p == REAL_TEXT_DECIMALS || end - p > SHORT_EXPONENT_TAIL)
            p = scanDigits(p, end, fractionValue);
        else
            for (; isDigit(*p); ++p)
                fractionValue = fractionValue * 10 + std::uint64_t(*p - '0');
    }
    const Digits fraction = {fractionStart, std::size_t(p - fractionStart), fractionValue};
    long long exponent = 0;
    if ((*p | 0x20) == 'e') {
        const char* q = p + 1;
        bool negativeExponent = *q == '-';
        q += *q == '-' || *q == '+';
        const char* exponentDigits = q;
        for (; isDigit(*q); ++q)
            if (exponent < EXPONENT_CAP)
                exponent = exponent * 10 + (*q - '0');
        if (q == exponentDigits || exponent >= EXPONENT_CAP)
            return false; // "1e", "1e+": atof stops before the e; a huge exponent is left to strtod
        p = q;
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (p != end || whole.count + fraction.count == 0)
        return false;
    if (decimalValue(whole, fraction, exponent, negative, value))
        return true;
    // Near a tie past the paths above: from_chars rounds correctly too. Out of the double range it
    // gives up, and strtod gives atof's infinity or zero.
    double parsed; // apart, so that `value` is never in memory on the common paths
    std::from_chars_result result = std::from_chars(text, end, parsed);
    value = parsed;
    return result.ec == std::errc() && result.ptr == end;
}

// round(mantissa x 5^8 / 2^shift), halves to even: value x 10^8 for value = mantissa x 2^-(shift + 8).
// Values below 1 (shift 45 to 63: down to about 1e-6), such as the results of sin and cos, take
// one 64-bit product with 5^8 x 2^(64 - shift): its high half is the quotient and its low half the
// remainder scaled to 2^64, with no shift of the product by a variable amount, which costs x86-64
// three operations (make bench-compare, sin_io and cos_io family). The factor fits from shift 19
// on, but taking values up to 2^26 this way too made sin_io and cos_io, whose path did not
// change, slower in the same rows; so larger values keep the 64-bit halves below. Where the shift
// is 64 or more, 128-bit arithmetic.
std::uint64_t scaleAndRound(std::uint64_t mantissa, int shift)
{
    constexpr int SHIFT_BELOW_ONE = 53 - REAL_TEXT_DECIMALS; // mantissa < 2^53
    if (shift >= SHIFT_BELOW_ONE && shift < 64) {
        Wide product = Wide(mantissa) * (std::uint64_t(FIVE_TO_THE_DECIMALS) << (64 - shift));
        std::uint64_t quotient = std::uint64_t(product >> 64), rest = std::uint64_t(product);
        constexpr std::uint64_t HALF = std::uint64_t(1) << 63;
        return quotient + (rest > HALF || (rest == HALF && (quotient & 1) != 0));
    }
    Wide product = mantissa * FIVE_TO_THE_DECIMALS; // below 2^72
    if (shift < 64) { // and at least 9, as value < 2^36: the quotient fits in 63 bits
        std::uint64_t high = std::uint64_t(product >> 64), low = std::uint64_t(product);
        std::uint64_t quotient = (low >> shift) | (high << (64 - shift));
        std::uint64_t remainder = low & ((std::uint64_t(1) << shift) - 1), half = std::uint64_t(1) << (shift - 1);
        return quotient + (remainder > half || (remainder == half && (quotient & 1) != 0));
    }
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

// Writes the 8 digits of n < 10^8 at p, two at a time from the left: t is n / 10^6 in fixed point
// with 32 bits below the point, so its integer part is the first pair and each multiplication of
// its fraction by 100 brings up the next. The chain is four multiplications deep, against seven
// for splitting lanes of a word (make bench-compare, sin_io family). The constant is 2^48 / 10^6
// rounded up, and the added unit makes every n < 10^8 come out right (all were checked).
void writeEightDigits(char* p, std::uint64_t n)
{
    std::uint64_t t = ((n * 281474977) >> 16) + 1;
    writePair(p, t >> 32);
    t = (t & 0xFFFFFFFF) * 100;
    writePair(p + 2, t >> 32);
    t = (t & 0xFFFFFFFF) * 100;
    writePair(p + 4, t >> 32);
    t = (t & 0xFFFFFFFF) * 100;
    writePair(p + 6, t >> 32);
}

// The number of decimal digits of n, from 1 to 20: from its bit length, a guess of
// floor(log10(2^bits)) (1233 / 2^12 is just above log10 2), then one comparison.
int decimalDigits(std::uint64_t n)
{
    n |= 1; // 0 has one digit too
    int guess = ((64 - __builtin_clzll(n)) * 1233) >> 12;
    return guess + (n >= INTEGER_POWERS_OF_TEN[guess]);
}

// Writes [-]whole.ffffffff for scaled = value x 10^8 straight into out: the whole part right to
// left, two digits at a time, then the decimals left to right. (Built aside and copied out, the text
// was read back before its bytes had settled, which stalled the copy.)
std::size_t writeScaled(char* out, bool negative, std::uint64_t scaled)
{
    std::uint64_t whole = scaled / TEN_TO_THE_DECIMALS;
    char* point = out + negative + decimalDigits(whole);
    char* p = point;
    out[0] = '-'; // the first digit's place when there is no sign
    for (; whole >= 100; whole /= 100)
        writePair(p -= 2, whole % 100);
    if (whole >= 10)
        writePair(p - 2, whole);
    else
        p[-1] = char('0' + whole);
    *point = '.';
    writeEightDigits(point + 1, scaled % TEN_TO_THE_DECIMALS);
    point[1 + REAL_TEXT_DECIMALS] = '\0';
    return std::size_t(point + 1 + REAL_TEXT_DECIMALS - out);
}

} // namespace

bool RealCodec::fastPathsHold() { return nearestRounding() && pointIsRadix(); }

double RealCodec::readText(const char* text, bool fast)
{
    double value;
    if (fast && readSimpleDecimal(text, value))
        return value;
    return std::strtod(text, nullptr);
}

std::size_t RealCodec::writeText(char* out, std::size_t size, double value, bool fast)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    int biased = int(bits >> 52) & 0x7ff;
    // Below 2^36, value x 10^8 fits in 63 bits.
    if (fast && biased < 1023 + SHORT_REAL_EXPONENT && size >= SHORT_REAL_TEXT_SIZE) {
        std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
        int exponent = -1074; // subnormal
        if (biased != 0) {
            mantissa |= std::uint64_t(1) << 52;
            exponent = biased - 1075;
        }
        // value x 10^8 = mantissa x 5^8 x 2^(exponent + 8), and exponent + 8 < 0 below 2^36.
        return writeScaled(out, (bits >> 63) != 0, scaleAndRound(mantissa, -(exponent + REAL_TEXT_DECIMALS)));
    }
    if (fast && biased != 0x7ff && size > 0) { // finite: the exact digits from the standard library
        std::to_chars_result result =
            std::to_chars(out, out + size - 1, value, std::chars_format::fixed, REAL_TEXT_DECIMALS);
        if (result.ec == std::errc()) {
            *result.ptr = '\0';
            return std::size_t(result.ptr - out);
        }
    }
    int length = std::snprintf(out, size, "%.*f", REAL_TEXT_DECIMALS, value);
    return length < 0 ? 0 : std::size_t(length);
}
