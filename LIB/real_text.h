// The real-number text codec: atof on the way in, "%.*f" at 8 decimals on the way out, with
// fast paths that give the same bits and bytes as those two and fall back to them otherwise.
// Internal to the library (hidden like everything not marked EXTPRED_API); the tests compile
// it in directly to compare it with the C library.
#ifndef REAL_TEXT_H
#define REAL_TEXT_H

#include <cstddef>

// Decimals of every written real.
constexpr int REAL_TEXT_DECIMALS = 8;

// The same double as std::atof(text), bit for bit, under any locale and rounding mode.
double readRealText(const char* text);

// Writes what std::snprintf(out, size, "%.*f", 8, value) writes and returns the same length,
// under any locale and rounding mode. `size` must hold the whole text (a sign, 309 digits,
// the point, 8 decimals and the terminator for -DBL_MAX).
std::size_t writeRealText(char* out, std::size_t size, double value);

#endif
