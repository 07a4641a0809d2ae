// Table rows for the predicate families: a predicate, its bound slots and what the call should do.
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
inline std::vector<CONSTANT> slotsOf(const std::vector<Arg>& args, long out = -1)
{
    std::vector<CONSTANT> slots;
    for (const Arg& a : args)
        slots.push_back(a.term);
    if (out >= 0)
        slots.insert(slots.begin() + out, null());
    return slots;
}

struct OutputCase {
    Predicate predicate;
    const char* name;
    std::vector<Arg> inputs; // bound slots in slot order, the output slot left out
    size_t out;
    std::string expected; // written text, "false", or "nan" for a NaN of either sign
};

inline void runOutputCases(const std::vector<OutputCase>& cases)
{
    for (const OutputCase& c : cases) {
        std::string written = computes(c.predicate, slotsOf(c.inputs, static_cast<long>(c.out)), c.out);
        if (c.expected == "nan" && written == "-nan")
            written = "nan";
        EXPECT_EQ(written, c.expected) << rowName(c.name, c.inputs);
    }
}

struct TestCase {
    Predicate predicate;
    const char* name;
    std::vector<Arg> args;
    bool holds;
};

inline void runTestCases(const std::vector<TestCase>& cases)
{
    for (const TestCase& c : cases) {
        EXPECT_EQ(static_cast<bool>(holds(c.predicate, slotsOf(c.args))), c.holds) << rowName(c.name, c.args);
    }
}

// Every bound slot is checked for its kind before anything else: a wrong kind in any one of
// them fails the call, and an output pattern then leaves its slot alone.
struct Shape {
    Predicate predicate;
    const char* name;
    std::vector<Arg> good; // a call that succeeds, the output slot (if any) left out
    int out;               // -1 for a test pattern
};

inline void expectKindChecks(const std::vector<Shape>& shapes)
{
    const CONSTANT wrongReal[] = {integer(1), sym("1"), null()};
    const CONSTANT wrongInteger[] = {real("1"), sym("1"), null()};
    for (const Shape& s : shapes) {
        for (size_t k = 0; k < s.good.size(); ++k) {
            bool wantsInteger = s.good[k].term.isInt();
            for (const CONSTANT& bad : wantsInteger ? wrongInteger : wrongReal) {
                std::vector<Arg> args = s.good;
                args[k] = bad;
                if (s.out < 0)
                    runTestCases({{s.predicate, s.name, args, false}});
                else
                    runOutputCases({{s.predicate, s.name, args, static_cast<size_t>(s.out), "false"}});
            }
        }
        // The unaltered row really succeeds, so the failures above come from the kinds.
        if (s.out < 0)
            runTestCases({{s.predicate, s.name, s.good, true}});
        else
            EXPECT_NE(computes(s.predicate, slotsOf(s.good, s.out), static_cast<size_t>(s.out)), "false") << s.name;
    }
}

#endif
