// What the benchmarks call, shared by `make bench` (the library against the literal path) and
// `make bench-compare` (two builds of the library against each other): every family with the
// inputs its calls get, addR again on texts by size and form, and how their argument texts are
// drawn.
#ifndef BENCH_WORKLOAD_H
#define BENCH_WORKLOAD_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

// What an input slot holds: a real drawn from [low, high), or an Integer from [low, high]. A
// real's text is printed with `format`, or by default mostly with 8 decimals and some with 3.
// A spread real has a magnitude drawn evenly over the powers of ten from low to high and either sign.
// A slot with `texts` holds one of them instead, as written.
struct Slot {
    double low, high;
    bool integer = false;
    const char* format = nullptr;
    bool spread = false;
    const std::vector<std::string>* texts = nullptr;
};

// The formulas that evalR is timed on: the length of a vector, which a chain of four predicates
// computes too, and one short and one long formula, whose times per character should be alike.
constexpr const char* VECTOR_LENGTH = "sqrt(x*x + y*y)";
constexpr const char* SHORT_FORMULA = "(x*x - y) / 2 + 1.5";
constexpr int LONG_FORMULA_COPIES = 10;

inline const std::string& longFormula()
{
    static const std::string formula = [] {
        std::string text = SHORT_FORMULA;
        for (int k = 1; k < LONG_FORMULA_COPIES; ++k)
            text += std::string(k % 2 ? " - " : " + ") + SHORT_FORMULA;
        return text;
    }();
    return formula;
}

// Operands as a rule program's own data has them: short and long, whole and not, either sign.
inline const std::vector<std::string>& mixedOperands()
{
    static const std::vector<std::string> texts = {"3",         "4",        "1.5",  "2.25",
                                                   "12345.678", "0.000123", "-7.5", "98765.4321"};
    return texts;
}

// One row of a table: the family whose predicates it calls (`family`_ii...o and `family`_ii...i)
// and the inputs, in slot order; the output or tested slot comes after them.
struct Workload {
    const char* name;
    const char* family;
    std::vector<Slot> inputs;
    bool comparison = false; // a test of its inputs alone (lessR_ii), without an output pattern
};

// The predicate of a row's output pattern (addR_iio) or test pattern (addR_iii); a comparison
// has no output pattern, so none is named for it.
inline std::string symbolOf(const Workload& w, bool output)
{
    if (w.comparison)
        return output ? "" : std::string(w.family) + "_" + std::string(w.inputs.size(), 'i');
    return std::string(w.family) + "_" + std::string(w.inputs.size(), 'i') + (output ? "o" : "i");
}

inline const std::vector<Workload>& familyWorkloads()
{
    static const std::vector<Workload> all = {
        {"addR", "addR", {{-1e4, 1e4}, {-1e4, 1e4}}},      {"subtR", "subtR", {{-1e4, 1e4}, {-1e4, 1e4}}},
        {"timesR", "timesR", {{-100, 100}, {-100, 100}}},  {"divR", "divR", {{-1e4, 1e4}, {0.5, 100}}},
        {"modR", "modR", {{-1e4, 1e4}, {0.5, 100}}},       {"fabs", "fabs", {{-1e4, 1e4}}},
        {"pow", "pow", {{0.5, 10}, {-3, 3}}},              {"root", "root", {{2, 5}, {0, 1e4}}},
        {"sqrt", "sqrt", {{0, 1e4}}},                      {"round", "round", {{-1e4, 1e4}, {0, 8, true}}},
        {"floor", "floor", {{-1e6, 1e6}}},                 {"ceil", "ceil", {{-1e6, 1e6}}},
        {"exp", "exp", {{-10, 10}}},                       {"ln", "ln", {{0.001, 1e4}}},
        {"log", "log", {{1.5, 10}, {0.001, 1e4}}},         {"log2", "log2", {{0.001, 1e4}}},
        {"log10", "log10", {{0.001, 1e4}}},                {"sin", "sin", {{-10, 10}}},
        {"cos", "cos", {{-10, 10}}},                       {"tan", "tan", {{-1.5, 1.5}}},
        {"asin", "asin", {{-1, 1}}},                       {"acos", "acos", {{-1, 1}}},
        {"atan", "atan", {{-100, 100}}},                   {"deg2rad", "deg2rad", {{-720, 720}}},
        {"rad2deg", "rad2deg", {{-10, 10}}},
        {"lessR", "lessR", {{-1e4, 1e4}, {-1e4, 1e4}}, true},
        {"minR", "minR", {{-1e4, 1e4}, {-1e4, 1e4}}},      {"atan2", "atan2", {{-100, 100}, {-100, 100}}},
    };
    return all;
}

// addR on texts by size and form: both inputs alike.
inline const std::vector<Workload>& textSizeWorkloads()
{
    struct Size {
        const char* name;
        double low, high;
        const char* format;
    };
    static const Size sizes[] = {
        {"short<1e4", 1e-3, 1e4, "%.3f"},
        {"17digits<1e4", 1e-3, 1e4, "%.17g"},
        {"1e7-1e10", 1e7, 1e10, "%.8f"},  // -123456789.12345678: 16 to 18 digits
        {"1e9-1e10,%g", 1e9, 1e10, "%g"}, // -1.23457e+09
        {"1e11-1e15", 1e11, 1e15, "%.8f"},
        {"1e16-1e22", 1e16, 1e22, "%.8f"},
        {"1e50-1e300", 1e50, 1e300, "%.8f"},
        {"1e50-1e300,%g", 1e50, 1e300, "%g"},          // 1.23457e+250
        {"17digits,1e-12-1e-6", 1e-12, 1e-6, "%.17g"}, // 1.2345678901234567e-07
    };
    static const std::vector<Workload> all = [] {
        std::vector<Workload> rows;
        for (const Size& s : sizes) {
            Slot slot{s.low, s.high, false, s.format, true};
            rows.push_back({s.name, "addR", {slot, slot}});
        }
        return rows;
    }();
    return all;
}

// evalR on each formula of x and y (evalR_iiio, and evalR_iiii on what it writes), with operands
// drawn as timesR's are or from the mixed ones.
inline const std::vector<Workload>& formulaWorkloads()
{
    static const std::vector<std::string> vector = {VECTOR_LENGTH}, shortOne = {SHORT_FORMULA},
                                          longOne = {longFormula()};
    static const Slot operand = {-100, 100}, mixed = {0, 0, false, nullptr, false, &mixedOperands()};
    auto formula = [](const std::vector<std::string>& text) { return Slot{0, 0, false, nullptr, false, &text}; };
    static const std::vector<Workload> all = {
        {"vector", "evalR", {formula(vector), operand, operand}},
        {"vector,mixed", "evalR", {formula(vector), mixed, mixed}},
        {"short", "evalR", {formula(shortOne), operand, operand}},
        {"long", "evalR", {formula(longOne), operand, operand}},
    };
    return all;
}

constexpr std::size_t POOL = 64; // argument vectors cycled through, so that no input is cached

// One input of a call: an Integer or a real's text.
struct Input {
    bool integer;
    int value;
    std::string text;
};

// The inputs of one candidate call, drawn from `random`.
inline std::vector<Input> drawInputs(const std::vector<Slot>& slots, std::mt19937_64& random)
{
    std::vector<Input> inputs;
    for (const Slot& slot : slots) {
        if (slot.texts) {
            inputs.push_back({false, 0, (*slot.texts)[random() % slot.texts->size()]});
            continue;
        }
        double value;
        if (slot.spread) {
            std::uniform_real_distribution<double> exponent(std::log10(slot.low), std::log10(slot.high));
            value = std::pow(10, exponent(random)) * (random() % 2 ? 1 : -1);
        } else
            value = std::uniform_real_distribution<double>(slot.low, slot.high)(random);
        if (slot.integer) {
            inputs.push_back({true, static_cast<int>(std::lround(value)), {}});
            continue;
        }
        char text[400]; // "%.8f" of 1e300 takes 310
        const char* format = slot.format ? slot.format : random() % 4 == 0 ? "%.3f" : "%.8f";
        std::snprintf(text, sizeof text, format, value);
        inputs.push_back({false, 0, text});
    }
    return inputs;
}

// The median of a set of timings.
inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

#endif
