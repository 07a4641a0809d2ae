#include "real_functions.h"

#include <charconv>

std::optional<double> upperOfWrittenHalf(double num, int dec)
{
    char text[32]; // -d.dddddddddddddddde-308
    std::to_chars_result written = std::to_chars(text, text + sizeof text, num, std::chars_format::scientific);
    if (written.ec != std::errc())
        return std::nullopt;
    const char* p = text;
    bool negative = *p == '-';
    p += negative;
    char digits[17]; // a shortest text has at most 17
    int count = 0;
    for (; p < written.ptr && *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    int exponent = 0; // the first digit's place is 10^exponent: e-05, e+00, e+307
    std::from_chars(p + 1 + (p[1] == '+'), written.ptr, exponent);
    int halfAt = exponent + dec + 1; // the index of a half's 5, at the place 10^-(dec + 1)
    if (halfAt < 0 || halfAt != count - 1 || digits[halfAt] != '5')
        return std::nullopt;
    double kept = 0; // the digits above the half, as an integer
    for (int k = 0; k < halfAt; ++k)
        kept = kept * 10 + (digits[k] - '0');
    return negative ? 0 - kept : kept + 1; // toward positive infinity; -0.005 goes to +0
}
