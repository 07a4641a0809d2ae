// Table rows for the predicate families: a call and its answer.
#ifndef TESTS_CASES_H
#define TESTS_CASES_H

#include "predicates.h"

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

// A bound slot as a table writes it: a text is a real term, an int an Integer term.
struct Arg {
    CONSTANT term;
    Arg(const char* text) : term(real(text)) {}
    Arg(int value) : term(integer(value)) {}
    Arg(const CONSTANT& other) : term(other) {}
};

#define P(name) name, #name

// The text the library writes for a double.
inline std::string fixed8(double value)
{
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", 8, value);
    return text;
}

inline std::string rowName(const char* name, const std::vector<Arg>& args)
{
    std::string row = name;
    for (const Arg& a : args)
        row += " " + describe(a.term);
    return row;
}

// The slots of a call: the bound ones, and a NullConst at `out` unless out is negative.
inline std::vector<CONSTANT> slotsOf(const std::vector<Arg>& args, int out = -1)
{
    std::vector<CONSTANT> slots;
    for (const Arg& a : args)
        slots.push_back(a.term);
    if (out >= 0)
        slots.insert(slots.begin() + out, null());
    return slots;
}

// The output slot, if any, is the one that the name's pattern marks `o`.
struct Case {
    Predicate predicate;
    const char* name;
    std::vector<Arg> args; // bound slots in slot order, the output slot left out
    std::string answer;    // "true" or "false" for a test; the written text or "false" for an
                           // output pattern, "nan" standing for a NaN of either sign
};

inline void runCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        const int out = PredicateSymbol{c.name, c.predicate}.outputSlot();
        std::string answer = out < 0 ? (holds(c.predicate, slotsOf(c.args)) ? "true" : "false")
                                     : computes(c.predicate, slotsOf(c.args, out), static_cast<size_t>(out));
        if (c.answer == "nan" && answer == "-nan")
            answer = "nan";
        EXPECT_EQ(answer, c.answer) << rowName(c.name, c.args);
    }
}

// Every bound slot is checked for its kind before anything else: a wrong kind in any one of
// them fails the call, and an output pattern then leaves its slot alone. Each row is a call and
// its answer with every slot of the right kind.
inline void expectKindChecks(const std::vector<Case>& rows)
{
    const CONSTANT wrongReal[] = {integer(1), sym("1"), null()};
    const CONSTANT wrongInteger[] = {real("1"), sym("1"), null()};
    for (const Case& row : rows) {
        runCases({row});
        for (size_t k = 0; k < row.args.size(); ++k)
            for (const CONSTANT& bad : row.args[k].term.isInt() ? wrongInteger : wrongReal) {
                Case wrong = row;
                wrong.args[k] = bad;
                wrong.answer = "false";
                runCases({wrong});
            }
    }
}

#endif
