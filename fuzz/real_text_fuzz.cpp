// Arbitrary bytes through the fast real codec and through the C library: a text must read as the
// same double bits as atof gives, and a double must write as the same bytes as "%.*f" at 8.
#include "real_text_check.h"
#include "report.h"

#include <cmath>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // atof stops at the first NUL, so the text does too.
    std::string text(reinterpret_cast<const char*>(data), size);
    require(checkRead(text.c_str()));
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t bits;
        std::memcpy(&bits, data, sizeof bits);
        double value = fromBits(bits);
        require(checkWrite(value));
        // Most bit patterns are far outside the hand-written path; also try the same digits
        // within it and just past it.
        require(checkWrite(std::ldexp(double(bits >> 11), int(bits % 120) - 113)));
        // The value's own texts read back: 8 decimals at any size, and exponent forms with as
        // many digits as the remaining bytes say.
        char written[400];
        std::snprintf(written, sizeof written, "%.*f", REAL_TEXT_DECIMALS, value);
        require(checkRead(written));
        int digits = size > sizeof bits ? data[sizeof bits] % 40 : 17;
        std::snprintf(written, sizeof written, "%.*e", digits, std::ldexp(value, -int(bits % 64)));
        require(checkRead(written));
    }
    return 0;
}
