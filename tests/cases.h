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
    Arg(const std::string& text) : term(real(text.c_str())) {}
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

#endif
