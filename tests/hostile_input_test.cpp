// Whatever a rule author or a faulty host hands over: enormous texts, exponents far out of
// range, NaN payloads, hexadecimal floats, blanks, and every kind of term in every slot. Reals
// must read and write exactly as the C library does, and every call must keep its contract.
#include "predicates.h"
#include "properties.h"

#include <climits>

namespace {

using properties::checkPredicateCall;
using properties::checkRealCodec;

constexpr std::size_t MILLION = 1000000;

struct HostileReal {
    std::string text;
    const char* written; // by a predicate that writes the real read (x - 0)
};

const std::vector<HostileReal>& hostileReals()
{
    static const std::vector<HostileReal> cases = {
        // A million digits.
        {"1" + std::string(MILLION - 1, '0'), "inf"},
        {"-" + std::string(MILLION, '9'), "-inf"},
        {"0." + std::string(MILLION, '3'), "0.33333333"},
        {"0." + std::string(MILLION, '0') + "1", "0.00000000"},
        {"1" + std::string(MILLION - 1, '0') + "e-999999", "1.00000000"},
        {std::string(MILLION, '0') + "2.5", "2.50000000"},
        {"1." + std::string(MILLION, '9') + "x", "2.00000000"},
        // Exponents far out of range, and cut short.
        {"1e999999999999999999999", "inf"},
        {"-1e999999999999", "-inf"},
        {"1e+2147483648", "inf"},
        {"1e-999999999999999999", "0.00000000"},
        {"-1e-99999999999", "-0.00000000"},
        {"1e-2147483649", "0.00000000"},
        {"0e99999999999", "0.00000000"},
        {"1.7976931348623159e308", "inf"},
        {"-2.4703282292062328e-324", "-0.00000000"},
        {"1e", "1.00000000"},
        {"1e+", "1.00000000"},
        {"2e-", "2.00000000"},
        {"1.7976931348623157e308", nullptr}, // 309 digits: the C library's text only
        {"4.9e-324", "0.00000000"},
        // NaN with and without payloads.
        {"nan", "nan"},
        {"-NaN", "-nan"},
        {"nan(123)", "nan"},
        {"-nan(0x7ff)", "-nan"},
        {"NAN(abc_DEF9)", "nan"},
        {"nan(", "nan"},
        {"nan(!)", "nan"},
        {"nanx", "nan"},
        {"na", "0.00000000"},
        // Infinities.
        {"inf", "inf"},
        {"infinity", "inf"},
        {"-Infinity", "-inf"},
        {"infinit", "inf"},
        {"in", "0.00000000"},
        // Hexadecimal floats.
        {"0x1p3", "8.00000000"},
        {"0X1.8P1", "3.00000000"},
        {"-0x.8", "-0.50000000"},
        {"0x10", "16.00000000"},
        {"0x", "0.00000000"},
        {"0xg", "0.00000000"},
        {"0x1p", "1.00000000"},
        {"0x1p-1074", "0.00000000"},
        {"0x1p1024", "inf"},
        {"0x1.fffffffffffffp1023", nullptr},
        // Blanks and other separators.
        {" 2", "2.00000000"},
        {"\t\n\v\f\r 2", "2.00000000"},
        {"1 2", "1.00000000"},
        {"- 2", "0.00000000"},
        {"2 ", "2.00000000"},
        {"1,5", "1.00000000"},
        {"1_000", "1.00000000"},
        {"+.5", "0.50000000"},
        {"-.5e1", "-5.00000000"},
        {".e5", "0.00000000"},
        {".", "0.00000000"},
        {"", "0.00000000"},
        {"-", "0.00000000"},
        {"-0", "-0.00000000"},
        {"\"2.5\"", "2.50000000"}, // the term drops one enclosing pair of quotes
        {"\xff\xfe" "7", "0.00000000"},
    };
    return cases;
}

TEST(HostileInput, RealsReadAndWriteAsTheCLibraryDoes)
{
    for (const HostileReal& c : hostileReals()) {
        const std::string shown = c.text.size() > 40 ? c.text.substr(0, 40) + "..." : c.text;
        EXPECT_EQ(checkRealCodec(c.text), "") << shown;
        if (c.written) {
            EXPECT_EQ(computes(subtR_iio, {real(c.text.c_str()), real("0"), null()}, 2), c.written) << shown;
        }
    }
}

// Every predicate with each hostile text in each input slot; the other slots hold plain values.
TEST(HostileInput, EveryPredicateKeepsItsContractOnHostileTexts)
{
    for (const PredicateSymbol& symbol : predicateSymbols)
        for (unsigned slot = 0; slot < symbol.arity(); ++slot) {
            if (static_cast<int>(slot) == symbol.outputSlot() || symbol.integerInput(slot))
                continue;
            for (const HostileReal& c : hostileReals()) {
                std::vector<CONSTANT> slots;
                for (unsigned k = 0; k < symbol.arity(); ++k)
                    slots.push_back(symbol.integerInput(k) ? integer(3) : real(k == slot ? c.text.c_str() : "2"));
                EXPECT_EQ(checkPredicateCall(symbol, slots).fault, "") << c.text.substr(0, 40);
            }
        }
}

// Every kind of term, with awkward payloads, in every slot of every predicate: a wrong kind in an
// input slot fails the call, and the output slot's old content never changes the answer.
TEST(HostileInput, EveryKindOfTermInEverySlot)
{
    const CONSTANT kinds[] = {real("2"), real(""), real("inf"), sym("2"), sym(""), integer(2), integer(INT_MIN),
                              integer(INT_MAX), null()};
    for (const PredicateSymbol& symbol : predicateSymbols) {
        std::vector<CONSTANT> working;
        for (unsigned k = 0; k < symbol.arity(); ++k)
            working.push_back(symbol.integerInput(k) ? integer(1) : real("0.5"));
        std::string firstAnswer;
        for (unsigned slot = 0; slot < symbol.arity(); ++slot)
            for (const CONSTANT& term : kinds) {
                std::vector<CONSTANT> slots = working;
                slots[slot] = term;
                properties::CallCheck check = checkPredicateCall(symbol, slots);
                EXPECT_EQ(check.fault, "");
                if (static_cast<int>(slot) != symbol.outputSlot())
                    continue;
                if (firstAnswer.empty())
                    firstAnswer = check.answer;
                EXPECT_EQ(check.answer, firstAnswer) << symbol.name << " over " << describe(term);
            }
    }
}

} // namespace
