// The real codec against the C library it replaces: a text must read as the same double bits
// as atof, a double must write as the same bytes as "%.*f" at 8 decimals. Each check gives an
// empty text when they agree, else both results. Free of any test framework, so that the
// codec's fuzz target shares it.
#ifndef TESTS_REAL_TEXT_CHECK_H
#define TESTS_REAL_TEXT_CHECK_H

#include "real_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

inline std::uint64_t bitsOf(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

inline double fromBits(std::uint64_t bits)
{
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

inline std::string checkRead(const char* text)
{
    double expected = std::atof(text), actual = readRealText(text);
    if (bitsOf(expected) == bitsOf(actual))
        return "";
    char line[96];
    std::snprintf(line, sizeof line, "': atof %a, fast %a", expected, actual);
    return "text '" + std::string(text) + line;
}

inline std::string checkWrite(double value)
{
    char expected[400], actual[400]; // "%.8f" of -DBL_MAX takes 319
    int expectedLength = std::snprintf(expected, sizeof expected, "%.*f", REAL_TEXT_DECIMALS, value);
    std::memset(actual, 'x', sizeof actual); // so that a missing terminator shows
    std::size_t length = writeRealText(actual, sizeof actual, value);
    const std::string written(actual, strnlen(actual, sizeof actual));
    if (written == expected && length == std::size_t(expectedLength))
        return "";
    char hex[32];
    std::snprintf(hex, sizeof hex, "%a", value);
    return std::string("value ") + hex + ": snprintf '" + expected + "', fast '" + written + "' of length " +
           std::to_string(length);
}

#endif
