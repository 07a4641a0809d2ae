// A rule program hands one predicate's answer to another rule's test, so every test pattern
// must hold for the text that its own output pattern wrote.
#include "predicates.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// Every output pattern that writes a real computed from reals (not from a formula), with the test
// that recomputes its formula.
struct Pair {
    const PredicateSymbol &output, &test;
};

std::vector<Pair> ownTests()
{
    std::vector<Pair> pairs;
    for (const PredicateSymbol& output : predicateSymbols)
        if (const PredicateSymbol* test = ownTestOf(output);
            test && !output.writesInteger() && !output.formulaInput(0))
            pairs.push_back({output, *test});
    return pairs;
}

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
    const std::vector<Pair> pairs = ownTests();
    ASSERT_EQ(pairs.size(), 25u);
    constexpr long CHECKS = 1000000; // answers written and tested
    Texts texts(20261207);
    long checks = 0, failures = 0;
    for (long call = 0; checks < CHECKS; ++call) {
        const Pair& pair = pairs[call % pairs.size()];
        const unsigned out = pair.output.arity() - 1;
        CONSTANT argv[3];
        argv[0] = real(texts.next().c_str());
        if (out == 2)
            argv[1] = pair.output.integerInput(1) ? integer(texts.decimals()) : real(texts.next().c_str());
        if (!pair.output.predicate(argv, out + 1))
            continue; // off the domain
        std::string written = argv[out].toString();
        if (written.find("nan") != std::string::npos)
            continue; // a NaN passes no test
        ++checks;
        if (!pair.test.predicate(argv, out + 1) && ++failures <= 10)
            ADD_FAILURE() << pair.output.name << " wrote " << written << " for " << describe(argv[0])
                          << (out == 2 ? ", " + describe(argv[1]) : "") << ", and " << pair.test.name
                          << " rejects it";
    }
    EXPECT_EQ(failures, 0) << "of " << checks << " answers";
}

} // namespace
