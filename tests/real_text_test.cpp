// The fast real codec against the C library it replaces: every value and text must give the
// same double bits as atof and the same bytes as "%.*f" at 8 decimals.
#include "math_R.h"
#include "real_text_check.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

// Counts mismatches and reports the first few, so that a fault shows its inputs without
// flooding the log with a million lines.
struct Mismatches {
    int count = 0;
    void add(const std::string& fault)
    {
        if (!fault.empty() && ++count <= 10)
            ADD_FAILURE() << fault;
    }
};

// Values a writer can get wrong: both signs of zero, infinities and NaNs, the edges of every
// range, and the neighbours of each.
std::vector<double> edgeValues()
{
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values = {0.0, -0.0, inf, -inf, std::nan(""), -std::nan(""), DBL_MAX, -DBL_MAX, DBL_MIN,
                                  DBL_TRUE_MIN, -DBL_TRUE_MIN, 0x1p36, -0x1p36, 0x1p63, 5e-9, -5e-9, 4.9999999e-9,
                                  -1e-9, 9999999.99999999, 9999999.999999995, 1.0 / 3, 2.0 / 3, 0.5, 1e-8, 0x1p-9,
                                  0x1p-27, 0x1p-30};
    std::vector<double> all;
    for (double v : values)
        for (double w : {v, std::nextafter(v, inf), std::nextafter(v, -inf), -v})
            all.push_back(w);
    return all;
}

TEST(RealTextWrite, SameBytesAsSnprintfForAMillionValues)
{
    std::mt19937_64 random(20240611);
    Mismatches bad;
    auto check = [&](double v) { bad.add(checkWrite(v)); };

    for (double v : edgeValues())
        check(v);
    // Any bit pattern: every magnitude, subnormals, infinities and NaNs of both signs.
    for (int i = 0; i < 150000; ++i)
        check(fromBits(random()));
    // Every binary exponent, subnormal to DBL_MAX, with random mantissas: above 2^36 the digits
    // come from to_chars, so those exponents get over a million values.
    for (int biased = 0; biased < 0x7ff; ++biased)
        for (int i = biased < 1023 + 36 ? 100 : 1100; i > 0; --i)
            check(fromBits(std::uint64_t(biased) << 52 | (random() & ((std::uint64_t(1) << 52) - 1)) |
                           (random() & (std::uint64_t(1) << 63))));
    // The range of the exact path, with the magnitudes rules use most.
    std::uniform_int_distribution<int> exponent(-60, 37);
    for (int i = 0; i < 300000; ++i)
        check(std::ldexp(std::uniform_real_distribution<double>(1, 2)(random), exponent(random)) *
              (random() & 1 ? 1 : -1));
    // Exact ties at the ninth decimal are the odd multiples of 2^-9, and their neighbours; up to
    // 2^44, past the hand-written path into to_chars.
    std::uniform_int_distribution<std::int64_t> odd(0, (std::int64_t(1) << 52) - 1);
    for (int i = 0; i < 150000; ++i) {
        double tie = std::ldexp(double(2 * odd(random) + 1), -9) * (random() & 1 ? 1 : -1);
        check(tie);
        check(std::nextafter(tie, 0.0));
        check(std::nextafter(tie, tie * 2));
    }
    // Subnormals and tiny values, which must print as zero with their sign.
    for (int i = 0; i < 50000; ++i) {
        std::uint64_t bits = random();
        check(fromBits(bits & (((std::uint64_t(1) << 52) - 1) | (std::uint64_t(1) << 63))));
    }
    // Decimals as rules write them: integers over powers of ten.
    std::uniform_int_distribution<std::int64_t> digits(-99999999999, 99999999999);
    std::uniform_int_distribution<int> decimals(0, 12);
    for (int i = 0; i < 150000; ++i)
        check(double(digits(random)) / std::pow(10.0, decimals(random)));

    EXPECT_EQ(bad.count, 0);
}

// A text from random pieces: signs, blanks, digits, points, exponents, words, trailing junk.
std::string randomText(std::mt19937_64& random)
{
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    auto someDigits = [&](int most) {
        std::string s;
        for (int n = pick(most) + 1; n > 0; --n)
            s += char('0' + pick(10));
        return s;
    };
    static const char* const words[] = {"inf", "-inf", "INFINITY", "nan", "-nan", "nan(123)", "0x1.8p3", "-0x10",
                                        "0x", "",   ".",    "-",        "+",   "e5",   "1e",       "1e+",
                                        "-.",  "0.",   "-0",   " ",        "\t1", "1 "};
    char buffer[400];
    switch (pick(12)) {
    case 0: // what the library writes
        std::snprintf(buffer, sizeof buffer, "%.8f", std::ldexp(double(random() % 100000000), pick(60) - 40));
        return random() & 1 ? buffer : std::string("-") + buffer;
    case 1: // shortest round trip, often with an exponent
        std::snprintf(buffer, sizeof buffer, "%.17g", fromBits(random()));
        return buffer;
    case 2:
        return words[pick(int(sizeof words / sizeof *words))];
    case 8: // what the library writes for a value of any size
        std::snprintf(buffer, sizeof buffer, "%.8f", fromBits(random() & ~(std::uint64_t(1) << 62)));
        return buffer;
    case 9: // other programs' exponent forms, 1 to 17 digits, within and past the exact ranges
        std::snprintf(buffer, sizeof buffer, pick(2) ? "%.*e" : "%.*g", pick(17),
                      std::ldexp(std::uniform_real_distribution<double>(-2, 2)(random), pick(300) - 150));
        return buffer;
    case 10: { // up to 40 digits, a point anywhere and an exponent near the edges of the fast ranges
        std::string s = (random() & 1 ? "-" : "") + someDigits(40);
        s.insert(s.size() - std::size_t(pick(int(s.size()))), ".");
        return s + (pick(2) ? "e" : "E") + std::to_string(pick(100) - 50);
    }
    case 11: { // halfway between two doubles, exactly or cut short, as a decimal or with an exponent
        double v = std::ldexp(std::uniform_real_distribution<double>(1, 2)(random), pick(110) - 40);
        long double half = (static_cast<long double>(std::nextafter(v, 2 * v)) - v) / 2;
        int decimals = std::max(0, 1 - std::ilogb(static_cast<double>(half)));
        std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, v + half); // exact
        std::string s = buffer;
        s.resize(std::min(s.size(), std::size_t(pick(4) ? 60 : 18 + pick(22))));
        if (pick(2))
            s += '1'; // a hair above
        if (std::size_t point = s.find('.'); point != std::string::npos && pick(2)) {
            std::string exponent = "e-" + std::to_string(s.size() - point - 1);
            s.erase(point, 1);
            s += exponent;
        }
        return s;
    }
    default: {
        std::string s;
        switch (pick(8)) {
        case 0: s += '-'; break;
        case 1: s += '+'; break;
        case 2: s += ' '; break;
        default: break;
        }
        s += someDigits(pick(4) == 0 ? 30 : 12);
        if (pick(3) != 0)
            s += "." + someDigits(pick(4) == 0 ? 30 : 10);
        if (pick(5) == 0)
            s += std::string(pick(2) ? "e" : "E") + (pick(2) ? "-" : "") + std::to_string(pick(420));
        if (pick(8) == 0)
            s += "abc";
        return s;
    }
    }
}

TEST(RealTextRead, SameBitsAsAtofForAMillionTexts)
{
    std::mt19937_64 random(19700101);
    Mismatches bad;
    // Hand-picked: halfway cases, the 53-bit edge, subnormal and overflow edges.
    for (const char* text :
         {"9007199254740992", "9007199254740993", "9007199254740995", "-9007199254740993.0", "0.1", "0.3", "1.5",
          "4.9e-324", "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-400", "-1e-400", "1e309", "-1e400",
          "1.7976931348623157e308", "1.7976931348623159e308", "0.0000000000000000000001", "1234567890123456789",
          "12345678901234567890", "0.12345678901234567890123", "-0.000", "00000000000000000000001.5", "1.", ".5",
          "-.5", "3.75000000", "-0.00000000",
          // exponents: cut short, with leading zeros, too long to count, past the fast ranges
          "1e", "1e+", "1e-", "-2E", "1E5", "1e+5x", "-1.5e-3", "1.5e-0003", "000123e-5", "0e99999999999999999999",
          "-0e-5", "1e99999999999999999999", "1e-99999999999999999999", "1e22", "1e23", "9007199254740993e-5",
          "9007199254740993e27", "9007199254740993e28", "18446744073709551615e27", "18446744073709551616e1",
          "1234567890123456789e-31", "1234567890123456789e-32", ".1e-30", "5e-324", "1e308",
          // 38 digits and 39; halfway cases in the wide range, exact and a hair either side
          "12345678901234567890123456789012345678", "123456789012345678901234567890123456789",
          "0.00000000000000000000000000000000000001", "9007199254740993.00000000000000000001",
          "9007199254740992.99999999999999999999", "18014398509481986", "18014398509481990",
          "0.1000000000000000055511151231257827", "0.10000000000000000555111512312578270212"})
        bad.add(checkRead(text));
    // Trailing zeros that bring a huge exponent back into range: the exponent must not be cut short.
    for (const char* exponent : {"e-100000", "e-1000000", "e-10000000000000000000"})
        bad.add(checkRead(("1" + std::string(100000, '0') + exponent).c_str()));
    for (int i = 0; i < 1000000; ++i)
        bad.add(checkRead(randomText(random).c_str()));
    EXPECT_EQ(bad.count, 0);
}

// Texts and values whose reading or writing rounds, for the rounding-mode tests.
void checkRoundedSamples(Mismatches& bad)
{
    for (const char* text : {"0.1", "-0.1", "0.3", "1.23456789", "3.75000001", "9007199254740993", "1e-5", "2.5e-300"})
        bad.add(checkRead(text));
    for (double v : {1.0 / 3, -1.0 / 3, 2.0 / 3, 0x1p-9, -0x1p-9, 0.1, 1e-9, -1e-9})
        bad.add(checkWrite(v));
}

// The host may switch the rounding mode; strtod and printf follow it, and so must the codec.
TEST(RealTextRoundingMode, FollowsTheCurrentRoundingMode)
{
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        Mismatches bad;
        checkRoundedSamples(bad);
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(bad.count, 0) << "mode " << mode;
    }
}

#if defined(__x86_64__)
// x86 keeps two rounding modes: the x87 one, which strtod and printf follow, and the SSE one,
// which rounds double arithmetic. A host may set either alone; the codec must still agree.
TEST(RealTextRoundingMode, FollowsEitherRoundingModeSetAlone)
{
    const struct {
        unsigned short x87;
        unsigned sse;
    } modes[] = {
        {0x800, 0},  // x87 upward, SSE to nearest
        {0, 0x4000}, // x87 to nearest, SSE upward
        {0, 0x2000}, // x87 to nearest, SSE downward
    };
    unsigned short savedControl;
    __asm__ volatile("fnstcw %0" : "=m"(savedControl));
    const unsigned savedCsr = _mm_getcsr();
    for (const auto& m : modes) {
        unsigned short control = static_cast<unsigned short>((savedControl & ~0xc00) | m.x87);
        __asm__ volatile("fldcw %0" : : "m"(control));
        _mm_setcsr((savedCsr & ~0x6000u) | m.sse);
        Mismatches bad;
        checkRoundedSamples(bad);
        __asm__ volatile("fldcw %0" : : "m"(savedControl));
        _mm_setcsr(savedCsr);
        EXPECT_EQ(bad.count, 0) << "x87 mode " << m.x87 << ", SSE mode " << m.sse;
    }
}
#endif

// Whether num's shortest text lies exactly halfway between two multiples of 10^-dec: its last
// digit is a 5 at the place 10^-(dec + 1).
bool isWrittenHalf(double num, int dec)
{
    char text[400];
    std::to_chars_result end = std::to_chars(text, text + sizeof text, std::fabs(num), std::chars_format::fixed);
    std::string shortest(text, end.ptr);
    std::size_t point = shortest.find('.');
    if (point != std::string::npos)
        return dec >= 0 && shortest.size() - point - 1 == std::size_t(dec) + 1 && shortest.back() == '5';
    std::string tail = "5" + std::string(dec < 0 ? std::size_t(-dec - 1) : 0, '0');
    return dec < 0 && shortest.size() >= tail.size() && shortest.compare(shortest.size() - tail.size(), tail.size(), tail) == 0;
}

// Every num that is not a written half rounds as the formula does, with pow(10, dec) exactly as
// computed (a table of exact powers must not change any result). Where num's last binary digit
// is 10^-dec or coarser, there is nothing to round: num itself. To tens and more, the multiple
// comes back multiplied by the exact 10^-dec, not divided by the inexact 10^dec.
TEST(MyRound, NonHalvesAsTheFormula)
{
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> decimals(-30, 30);
    int bad = 0;
    for (int i = 0; i < 200000; ++i) {
        double num = std::ldexp(std::uniform_real_distribution<double>(-2, 2)(random), int(random() % 80) - 40);
        int dec = decimals(random);
        if (isWrittenHalf(num, dec))
            continue;
        double scale = std::pow(10, dec), t = scale * num, r = std::round(t);
        if (t - r >= 0.5)
            r += 1;
        double multiple = dec < 0 && dec >= -22 ? r * std::pow(10, -dec) : r / scale;
        double expected = std::ldexp(scale, std::ilogb(num) - 52) >= 1 ? num : multiple;
        if (bitsOf(myRound(num, dec)) != bitsOf(expected) && ++bad <= 10)
            ADD_FAILURE() << "myRound(" << num << ", " << dec << ")";
    }
    EXPECT_EQ(bad, 0);
}

// A half as written goes to the upper multiple, whatever binary value stands for it: the text
// sign, whole, decimals and a final 5 (or, to tens and hundreds, a whole ending in 5 or 50).
TEST(MyRound, WrittenHalvesGoUpward)
{
    std::mt19937_64 random(16);
    auto digits = [&](int count) {
        std::string text;
        for (int k = 0; k < count; ++k)
            text += char('0' + random() % 10);
        return text;
    };
    int checked = 0, bad = 0;
    for (int i = 0; i < 200000; ++i) {
        int dec = int(random() % 11) - 2; // -2 to 8
        bool negative = random() % 2 != 0;
        std::string whole = std::to_string(1 + random() % 9) + digits(int(random() % 8)); // up to 8 digits
        std::string kept;                                                                 // the digits above the 5
        std::string text;
        if (dec >= 0) {
            kept = whole + digits(dec);
            text = whole + "." + kept.substr(whole.size()) + "5";
        } else {
            kept = whole;
            text = whole + "5" + std::string(std::size_t(-dec - 1), '0');
        }
        double num = std::atof(text.c_str());
        if (!isWrittenHalf(num, dec)) // more digits than a double keeps: another text is shorter
            continue;
        ++checked;
        unsigned long long upper = std::stoull(kept) + (negative ? 0 : 1);
        double expected = upper == 0 ? 0.0 : std::strtod((std::to_string(upper) + "e" + std::to_string(-dec)).c_str(), nullptr);
        num = negative ? -num : num;
        expected = negative && upper != 0 ? -expected : expected;
        if (bitsOf(myRound(num, dec)) != bitsOf(expected) && ++bad <= 10)
            ADD_FAILURE() << "myRound(" << (negative ? "-" : "") << text << ", " << dec << ")";
    }
    EXPECT_EQ(bad, 0);
    EXPECT_GT(checked, 190000);
}

} // namespace
