// Arbitrary bytes through the fast real codec and through the C library: a text must read as the
// same double bits as atof gives, and a double must write as the same bytes as "%.*f" at 8.
#include "real_text.h"
#include "report.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string checkRead(const char* text)
{
    double expected = std::atof(text), actual = readRealText(text);
    if (std::memcmp(&expected, &actual, sizeof expected) == 0)
        return "";
    char line[96];
    std::snprintf(line, sizeof line, "': atof %a, fast %a", expected, actual);
    return "text '" + std::string(text) + line;
}

std::string checkWrite(double value)
{
    char expected[400], actual[400];
    int expectedLength = std::snprintf(expected, sizeof expected, "%.*f", REAL_TEXT_DECIMALS, value);
    std::size_t length = writeRealText(actual, sizeof actual, value);
    if (std::strcmp(expected, actual) == 0 && length == std::size_t(expectedLength))
        return "";
    char hex[32];
    std::snprintf(hex, sizeof hex, "%a", value);
    return std::string("value ") + hex + ": snprintf '" + expected + "', fast '" + actual + "'";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // atof stops at the first NUL, so the text does too.
    std::string text(reinterpret_cast<const char*>(data), size);
    require(checkRead(text.c_str()));
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t bits;
        std::memcpy(&bits, data, sizeof bits);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        require(checkWrite(value));
        // Most bit patterns are far outside the exact path; also try the same digits within it.
        require(checkWrite(std::ldexp(double(bits >> 11), int(bits % 100) - 113)));
    }
    return 0;
}
