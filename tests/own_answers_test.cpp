// A rule program hands one predicate's answer to another rule's test, so every test pattern
// must hold for the text that its own output pattern wrote.
#include "predicates.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace {

// Output patterns whose test recomputes the same formula. Not fabs, whose test is exact by
// design (|-0.123456789| is not 0.12345679), nor floor and ceil, which write Integers, nor the
// solving patterns such as addR_ioi, whose test is another formula.
struct Pair {
    const char* name;
    Predicate output, test;
    unsigned inputs;      // 1 or 2; the written slot follows them
    bool integerDecimals; // round: slot 1 is an Integer
};

const Pair pairs[] = {
    {"addR", addR_iio, addR_iii, 2, false},     {"subtR", subtR_iio, subtR_iii, 2, false},
    {"timesR", timesR_iio, timesR_iii, 2, false}, {"divR", divR_iio, divR_iii, 2, false},
    {"modR", modR_iio, modR_iii, 2, false},     {"pow", pow_iio, pow_iii, 2, false},
    {"root", root_iio, root_iii, 2, false},     {"sqrt", sqrt_io, sqrt_ii, 1, false},
    {"round", round_iio, round_iii, 2, true},   {"exp", exp_io, exp_ii, 1, false},
    {"ln", ln_io, ln_ii, 1, false},             {"log", log_iio, log_iii, 2, false},
    {"log2", log2_io, log2_ii, 1, false},       {"log10", log10_io, log10_ii, 1, false},
    {"sin", sin_io, sin_ii, 1, false},          {"cos", cos_io, cos_ii, 1, false},
    {"tan", tan_io, tan_ii, 1, false},          {"asin", asin_io, asin_ii, 1, false},
    {"acos", acos_io, acos_ii, 1, false},       {"atan", atan_io, atan_ii, 1, false},
    {"deg2rad", deg2rad_io, deg2rad_ii, 1, false}, {"rad2deg", rad2deg_io, rad2deg_ii, 1, false},
};

// Real texts as rule programs hold them, weighted toward the ties at the ninth decimal where
// "%.*f" (half to even, on the exact binary value) and rounding halves upward part ways.
class Texts {
public:
    explicit Texts(unsigned seed) : random(seed) {}

    std::string next()
    {
        char text[64];
        const char* sign = random() % 2 ? "-" : "";
        switch (random() % 5) {
        case 0: { // any magnitude, as many digits as a double has or fewer; mostly moderate
            int exponent = random() % 2 ? int(random() % 80) - 40 : int(random() % 2098) - 1074;
            double value = std::ldexp(uniform(1, 2), exponent);
            std::snprintf(text, sizeof text, "%s%.*g", sign, int(1 + random() % 17), value);
            break;
        }
        case 1: // an odd multiple of 1/512: exactly halfway between two 8-decimal texts
            std::snprintf(text, sizeof text, "%s%.9f", sign, double(2 * (random() % 50000000) + 1) / 512);
            break;
        case 2: // nine decimals ending in 5, just above or below the halfway point as a double
            std::snprintf(text, sizeof text, "%s%llu.%08llu5", sign, magnitude(), random() % 100000000ull);
            break;
        case 3: // an 8-decimal answer of another predicate
            std::snprintf(text, sizeof text, "%s%llu.%08llu", sign, magnitude(), random() % 100000000ull);
            break;
        default: // the neutral operands that pass a tie through: x + 0, x * 1, x ^ 1, ...
            return neutral[random() % (sizeof neutral / sizeof neutral[0])];
        }
        return text;
    }

    int decimals() { return int(random() % 15) - 4; } // -4 to 10: tens to past the eighth

private:
    std::mt19937_64 random;
    static constexpr const char* neutral[] = {"0", "1", "-1", "2", "10", "0.5"};

    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); }
    // 0 to 10^8: amounts in the millions are the commonest in rule programs.
    unsigned long long magnitude() { return random() % (1ull << (random() % 27)); }
};

TEST(OwnAnswers, EveryTestHoldsForTheTextItsOutputPatternWrote)
{
    constexpr long CHECKS = 1000000; // answers written and tested
    Texts texts(20261207);
    long checks = 0, failures = 0;
    for (long call = 0; checks < CHECKS; ++call) {
        const Pair& pair = pairs[call % (sizeof pairs / sizeof pairs[0])];
        CONSTANT argv[3];
        argv[0] = real(texts.next().c_str());
        if (pair.inputs == 2)
            argv[1] = pair.integerDecimals ? integer(texts.decimals()) : real(texts.next().c_str());
        unsigned out = pair.inputs;
        if (!pair.output(argv, out + 1))
            continue; // off the domain
        std::string written = argv[out].toString();
        if (written.find("nan") != std::string::npos)
            continue; // a NaN passes no test
        ++checks;
        if (!pair.test(argv, out + 1) && ++failures <= 10)
            ADD_FAILURE() << pair.name << " wrote " << written << " for " << describe(argv[0])
                          << (pair.inputs == 2 ? ", " + describe(argv[1]) : "") << ", and its test rejects it";
    }
    EXPECT_EQ(failures, 0) << "of " << checks << " answers";
}

} // namespace
