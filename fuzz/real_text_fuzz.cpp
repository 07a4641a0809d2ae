// Arbitrary bytes through the fast real codec and through the C library: a text must read as the
// same double bits as atof gives, and a double must write as the same bytes as "%.*f" at 8.
#include "real_text.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void checkRead(const char* text)
{
    double expected = std::atof(text), actual = readRealText(text);
    if (std::memcmp(&expected, &actual, sizeof expected) != 0) {
        std::fprintf(stderr, "text '%s': atof %a, fast %a\n", text, expected, actual);
        std::abort();
    }
}

void checkWrite(double value)
{
    char expected[400], actual[400];
    int expectedLength = std::snprintf(expected, sizeof expected, "%.*f", REAL_TEXT_DECIMALS, value);
    std::size_t length = writeRealText(actual, sizeof actual, value);
    if (std::strcmp(expected, actual) != 0 || length != std::size_t(expectedLength)) {
        std::fprintf(stderr, "value %a: snprintf '%s', fast '%s'\n", value, expected, actual);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // atof stops at the first NUL, so the text does too.
    std::string text(reinterpret_cast<const char*>(data), size);
    checkRead(text.c_str());
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t bits;
        std::memcpy(&bits, data, sizeof bits);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        checkWrite(value);
        // Most bit patterns are far outside the exact path; also try the same digits within it.
        checkWrite(std::ldexp(double(bits >> 11), int(bits % 100) - 113));
    }
    return 0;
}
