// The library's predicates as a list to go through: the 54 of the engine's interface and the
// library's own 22, each of which math_R.h must declare.
// Free of any test framework, so that the fuzz targets share it.
#ifndef TESTS_SYMBOLS_H
#define TESTS_SYMBOLS_H

#include "math_R.h"

#include <cstring>
#include <string>

using Predicate = PREDICATE;

#define PREDICATE_SYMBOLS(X)                                                                             \
    X(addR_iii) X(addR_iio) X(addR_ioi) X(addR_oii) X(subtR_iii) X(subtR_iio) X(subtR_ioi) X(subtR_oii)  \
    X(timesR_iii) X(timesR_iio) X(divR_iii) X(divR_iio) X(modR_iii) X(modR_iio) X(fabs_ii) X(fabs_io)    \
    X(pow_iii) X(pow_iio) X(root_iii) X(root_iio) X(sqrt_ii) X(sqrt_io) X(round_iii) X(round_iio)        \
    X(floor_ii) X(floor_io) X(ceil_ii) X(ceil_io) X(exp_ii) X(exp_io) X(ln_ii) X(ln_io) X(log_iii)       \
    X(log_iio) X(log2_ii) X(log2_io) X(log10_ii) X(log10_io) X(sin_ii) X(sin_io) X(cos_ii) X(cos_io)     \
    X(tan_ii) X(tan_io) X(asin_ii) X(asin_io) X(acos_ii) X(acos_io) X(atan_ii) X(atan_io)                \
    X(deg2rad_ii) X(deg2rad_io) X(rad2deg_ii) X(rad2deg_io)                                              \
    X(equalR_ii) X(notEqualR_ii) X(lessR_ii) X(lessEqR_ii) X(greaterR_ii) X(greaterEqR_ii) X(minR_iii)   \
    X(minR_iio) X(maxR_iii) X(maxR_iio) X(atan2_iii) X(atan2_iio)                                        \
    X(evalR_io) X(evalR_iio) X(evalR_iiio) X(evalR_iiiio) X(evalR_iiiiio) X(evalR_ii) X(evalR_iii)       \
    X(evalR_iiii) X(evalR_iiiii) X(evalR_iiiiii)

// One exported predicate with what its name tells: the slot count and the output slot.
struct PredicateSymbol {
    const char* name;
    Predicate predicate;

    const char* pattern() const { return std::strchr(name, '_') + 1; }
    unsigned arity() const { return static_cast<unsigned>(std::strlen(pattern())); }
    int outputSlot() const // -1 for a test pattern
    {
        const char* o = std::strchr(pattern(), 'o');
        return o ? static_cast<int>(o - pattern()) : -1;
    }
    // floor and ceil write an Integer; every other output pattern writes a real.
    bool writesInteger() const { return std::strncmp(name, "floor_", 6) == 0 || std::strncmp(name, "ceil_", 5) == 0; }
    // Slot 1 holds an Integer for round (the decimals) and for the tests of floor and ceil.
    bool integerInput(unsigned slot) const
    {
        bool rounding = std::strncmp(name, "round_", 6) == 0;
        return slot == 1 && (rounding || (writesInteger() && outputSlot() < 0));
    }
    // Slot 0 of evalR holds a formula, not a real.
    bool formulaInput(unsigned slot) const { return slot == 0 && std::strncmp(name, "evalR_", 6) == 0; }
    // evalR's other bound slots, its operands and the value its test compares, take an Integer
    // as well as a real.
    bool integerOperand(unsigned slot) const
    {
        return slot > 0 && static_cast<int>(slot) != outputSlot() && std::strncmp(name, "evalR_", 6) == 0;
    }
};

#define SYMBOL_ENTRY(name) {#name, name},
inline const PredicateSymbol predicateSymbols[] = {PREDICATE_SYMBOLS(SYMBOL_ENTRY)};
#undef SYMBOL_ENTRY
constexpr unsigned predicateCount = sizeof predicateSymbols / sizeof predicateSymbols[0];
static_assert(predicateCount == 54 + 22, "the library exports the engine's 54 predicates and 22 of its own");

// A term as failure messages show it: its kind and payload, a text in single quotes.
inline std::string describe(const CONSTANT& term)
{
    switch (term.getType()) {
    case CONSTANT::Integer: return "Integer " + std::to_string(term.toInt());
    case CONSTANT::Symbol: return std::string("Symbol '") + term.toSymbol() + "'";
    case CONSTANT::String: return std::string("String '") + term.toString() + "'";
    case CONSTANT::NullConst: return "NullConst";
    }
    return "a term of unknown kind " + std::to_string(static_cast<int>(term.getType()));
}

// The exported predicate of that name, or null.
inline const PredicateSymbol* findSymbol(const std::string& name)
{
    for (const PredicateSymbol& symbol : predicateSymbols)
        if (name == symbol.name)
            return &symbol;
    return nullptr;
}

// The test pattern that must hold for what this output pattern writes into its last slot, since
// it recomputes the same formula; null for the solving patterns (addR_ioi: another formula) and
// for fabs, whose test is exact by design (|-0.123456789| is not 0.12345679).
inline const PredicateSymbol* ownTestOf(const PredicateSymbol& output)
{
    if (output.outputSlot() != static_cast<int>(output.arity()) - 1 || std::strncmp(output.name, "fabs_", 5) == 0)
        return nullptr;
    std::string name = output.name;
    name.back() = 'i';
    return findSymbol(name);
}

#endif
