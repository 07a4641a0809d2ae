// The real-number text codec: atof on the way in, "%.*f" at 8 decimals on the way out, with
// fast paths that give the same bits and bytes as those two and fall back to them otherwise.
// Internal to the library (hidden like everything not marked EXTPRED_API); the tests compile
// it in directly to compare it with the C library.
#ifndef REAL_TEXT_H
#define REAL_TEXT_H

#include <cstddef>

// Decimals of every written real.
constexpr int REAL_TEXT_DECIMALS = 8;

// 10^0 to 10^22: the powers of ten that a double holds exactly. pow(10, n) returns these only
// when rounding to nearest; in the other modes it may be a unit in the last place off.
inline constexpr double EXACT_POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int MAX_EXACT_POWER = int(sizeof EXACT_POWERS_OF_TEN / sizeof EXACT_POWERS_OF_TEN[0]) - 1;

// Values below 2^SHORT_REAL_EXPONENT in magnitude are written by the codec's own fast path, into
// any buffer of SHORT_REAL_TEXT_SIZE bytes or more: a sign, the 11 whole digits of 2^36, the
// point, the decimals and the terminator ("-68719476735.99999999").
constexpr int SHORT_REAL_EXPONENT = 36;
constexpr double SHORT_REAL_LIMIT = double(1ULL << SHORT_REAL_EXPONENT);
constexpr std::size_t SHORT_REAL_TEXT_SIZE = 1 + 11 + 1 + REAL_TEXT_DECIMALS + 1;

// Reads and writes real texts for one predicate call. The fast paths assume round-to-nearest
// and a full stop as the decimal point; the host may change either per thread (fesetround,
// uselocale) between calls but not during one, so they are checked once, when the codec is made.
// The members are inline over static functions, so that a caller keeps `fast` in a register,
// not the codec in its frame under the stack protector's check.
class RealCodec {
public:
    RealCodec() : fast(fastPathsHold()) {}

    // The same double as std::atof(text), bit for bit.
    double read(const char* text) const { return readText(text, fast); }

    // Writes what std::snprintf(out, size, "%.*f", 8, value) writes and returns the same length.
    // `size` must hold the whole text (a sign, 309 digits, the point, 8 decimals and the
    // terminator for -DBL_MAX).
    std::size_t write(char* out, std::size_t size, double value) const { return writeText(out, size, value, fast); }

    // Whether the host rounds to nearest, so that a whole number below 2^53 divided by an exact
    // power of ten is what read gives for its text (a directed mode is left to the C library).
    bool roundsToNearest() const { return fast; }

private:
    static bool fastPathsHold();
    static double readText(const char* text, bool fast);
    static std::size_t writeText(char* out, std::size_t size, double value, bool fast);

    bool fast;
};

inline double readRealText(const char* text) { return RealCodec().read(text); }
inline std::size_t writeRealText(char* out, std::size_t size, double value) { return RealCodec().write(out, size, value); }

#endif
