// The formulas and guards of the real predicates, and the rounding they rest on: one definition
// each, shared by the predicates and by the formulas of evalR, so that a function in a formula
// computes exactly what the predicate of that meaning computes. Internal to the library (hidden
// like everything not marked EXTPRED_API).
#ifndef REAL_FUNCTIONS_H
#define REAL_FUNCTIONS_H

#include "real_text.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

constexpr int REAL_DECIMALS = REAL_TEXT_DECIMALS;

constexpr double REAL_LN2 = 0.6931471805599453;
// 3.14159265358979 as a double: seven units in the last place below pi. The degree
// conversions have always used it, and rule authors' expected values depend on it.
constexpr double REAL_PI = 3.14159265358979;

// ---- rounding ----

// pow(10, dec), without recomputing the exact powers that callers use on every call.
inline double powerOfTen(int dec)
{
    return dec >= 0 && dec <= MAX_EXACT_POWER ? EXACT_POWERS_OF_TEN[dec] : std::pow(10, dec);
}

// A scale past the double range: infinite when rounding to nearest, but held at DBL_MAX when
// the host rounds upward, downward or toward zero.
inline bool pastRange(double v) { return !(std::fabs(v) < DBL_MAX); }

// The power of two at or below |num|, of which num's last binary digit is 2^-52: zero for a
// subnormal num, infinite for an infinite or NaN one.
inline double leadingPowerOfTwo(double num)
{
    std::uint64_t bits;
    std::memcpy(&bits, &num, sizeof bits);
    bits &= 0x7FF0000000000000; // the exponent alone
    double power;
    std::memcpy(&power, &bits, sizeof power);
    return power;
}

// The upper multiple of 1/scale, as the scaled integer r that roundWith divides by scale, when
// num's shortest text (the shortest that reads back as num) lies exactly halfway between two
// multiples; nothing otherwise. A real is its text: 1.005 is stored as 1.00499999999999989...,
// yet a rule author who writes it means a half. Asked only when |num x scale| < 2^53, so the
// digits kept fit an integer and a double exactly. Out of line, so that roundWith stays small.
__attribute__((noinline, cold)) std::optional<double> upperOfWrittenHalf(double num, int dec);

// std::round(t) for |t| < 2^53, bit for bit (a negative t that rounds to zero gives -0) and in
// every rounding mode, without its library call (x86-64 has no rounding instruction before
// SSE4.1): truncation to an integer is exact in that range, and so are t's fraction and the step.
// With std::round the test patterns were slower (make bench-compare, sqrt_ii and deg2rad_ii
// family).
inline double roundHalfAway(double t)
{
    double whole = std::copysign(double(static_cast<std::int64_t>(t)), t);
    double fraction = t - whole;
    return fraction >= 0.5 ? whole + 1 : fraction <= -0.5 ? whole - 1 : whole;
}

// Rounds num to a multiple of 1/scale, scale being 10^dec, halves going upward: round() moves
// negative halves away from zero, so step back up. Where num's last digit is 1/scale or
// coarser, nothing below it is left to round and the answer is num itself; the plain formula
// would instead move num by the rounding of num * scale and of r / scale (123456789012.5 to 8
// decimals gave ...50001526, and any two reals above 1e300 compared equal), or give NaN for an
// infinite scale.
//
// A half is judged on num's text, not on the product, which misses it either way by a unit in
// its last place (100 x 1.005 is 100.49999999999999) and from about 2^50 on cannot even hold it.
// The text is looked at only when the product lies within a few of those units of a half: num
// is within half a unit of its text, and the product within one more of num x scale.
// Inlined, so that a constant dec (8 in every comparison) makes its scale a constant too and
// leaves only the multiply, round and divide in the caller: out of line, looking the scale up at
// run time, it made every test pattern slower (make bench-compare, the _iii and _ii rows).
__attribute__((always_inline)) inline double roundWith(double num, int dec)
{
    double scale = powerOfTen(dec);
    if (scale == 0) // everything is rounded off
        return std::isfinite(num) ? std::copysign(0.0, num) : num;
    if (pastRange(scale) || leadingPowerOfTwo(num) * scale >= 0x1p52)
        return num;
    double t = scale * num;
    double r = roundHalfAway(t);
    double off = t - r; // exact below 2^53
    // Four units in t's last place are at most |t| x 2^-50: the band is four to eight units wide.
    if (__builtin_expect(std::fabs(std::fabs(off) - 0.5) <= std::fabs(t) * 0x1p-50, 0))
        if (std::optional<double> upper = upperOfWrittenHalf(num, dec)) {
            r = *upper;
            off = 0;
        }
    if (off >= 0.5)
        r += 1;
    // To tens, hundreds...: 10^dec is no double (1e-5 is not 10^-5), and dividing the multiple r
    // by it misses the multiple (99999.9999 to -5 decimals gave 100000.00000000001, whose text
    // round_iii then refused). Multiplying r by the exact 10^-dec gives the double nearest the
    // multiple. Beyond the exact powers, every answer but 0 is 10^23 or more, and its 8-decimal
    // text reads back as itself.
    if (dec < 0 && -dec <= MAX_EXACT_POWER)
        return r * EXACT_POWERS_OF_TEN[-dec];
    return r / scale;
}

// Decimals above 8 would only round below the written precision.
inline double roundTo(double x, int decimals)
{
    return roundWith(x, decimals < REAL_DECIMALS ? decimals : REAL_DECIMALS);
}

// ---- formulas and guards ----

inline double plus(double a, double b) { return a + b; }
inline double minus(double a, double b) { return a - b; }
inline double times(double a, double b) { return a * b; }
inline double quotient(double a, double b) { return a / b; }

// The guard of a function that takes every value.
inline bool anyValue(double) { return true; }
inline bool anyValues(double, double) { return true; }

inline bool nonZeroDivisor(double, double y) { return y != 0; }

// pow with its error report: the maths library flags domain, pole and range errors in errno.
inline std::optional<double> checkedPow(double base, double exponent)
{
    errno = 0;
    double power = std::pow(base, exponent);
    if (errno != 0)
        return std::nullopt;
    return power;
}

// The degree comes first and need not be an integer: the root is x^(1/n).
inline double root(double n, double x) { return std::pow(x, 1 / n); }
inline std::optional<double> checkedRoot(double n, double x) { return checkedPow(x, 1 / n); }
inline bool nonZeroDegree(double n, double) { return n != 0; }

inline bool nonNegative(double x) { return x >= 0; }
inline bool positive(double x) { return x > 0; }

// An integral double as an int; empty when it has none (infinite, NaN, out of range).
inline std::optional<int> toIntExactly(double v)
{
    if (!(v >= INT_MIN && v <= INT_MAX))
        return std::nullopt;
    return static_cast<int>(v);
}
inline std::optional<int> floorInt(double x) { return toIntExactly(std::floor(x)); }
inline std::optional<int> ceilInt(double x) { return toIntExactly(std::ceil(x)); }

inline double ln(double x) { return std::log(x); }
inline double log2ByLn2(double x) { return std::log(x) / REAL_LN2; }
inline double logBase(double b, double x) { return std::log(x) / std::log(b); }
inline bool validLog(double b, double x) { return b > 0 && b != 1 && x > 0; }

// Tangent is undefined where the cosine rounds to zero (either sign) at 8 decimals.
inline bool cosineOffZero(double x) { return roundWith(std::cos(x), REAL_DECIMALS) != 0; }
inline bool withinUnit(double x) { return x >= -1 && x <= 1; }

// Multiply first, then divide, as the conversions always have; only where the product
// overflows and the answer does not (6e307 degrees) is the division taken first.
inline double deg2rad(double x)
{
    double product = x * REAL_PI;
    return std::isinf(product) && std::isfinite(x) ? x / 180 * REAL_PI : product / 180;
}
inline double rad2deg(double x)
{
    double product = x * 180;
    return std::isinf(product) && std::isfinite(x) ? x / REAL_PI * 180 : product / REAL_PI;
}

#endif
