// Arbitrary bytes through the fast real codec and through the C library: a text must read as the
// same double bits as atof gives, and a double must write as the same bytes as "%.*f" at 8.
#include "real_text_check.h"
#include "report.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // atof stops at the first NUL, so the text does too.
    std::string text(reinterpret_cast<const char*>(data), size);
    require(checkRead(text.c_str()));
    if (size >= sizeof(std::uint64_t)) {
        std::uint64_t bits;
        std::memcpy(&bits, data, sizeof bits);
        require(checkWrite(fromBits(bits)));
        // Most bit patterns are far outside the exact path; also try the same digits within it.
        require(checkWrite(std::ldexp(double(bits >> 11), int(bits % 100) - 113)));
    }
    return 0;
}
