// The term value: construction, deep copies, assignment, ordering and kind checks.
#include "predicates.h"

#include <climits>
#include <cstring>
#include <memory>

namespace {

struct QuoteCase {
    const char* given;
    bool stringKind;
    const char* stored;
};

TEST(Term, TextConstructorDropsOneEnclosingPairOfQuotes)
{
    const QuoteCase cases[] = {
        {"\"abc\"", true, "abc"},   {"\"\"", true, ""},         {"abc\"", true, "abc\""},
        {"\"", true, "\""},         {"\"abc\"", false, "abc"},  {"\"\"x\"\"", true, "\"x\""},
        {"a\"b", false, "a\"b"},    {"", true, ""},             {"plain", false, "plain"},
    };
    for (const QuoteCase& c : cases) {
        CONSTANT term(c.given, c.stringKind);
        EXPECT_EQ(term.isString(), c.stringKind) << c.given;
        EXPECT_EQ(term.isSymbol(), !c.stringKind) << c.given;
        EXPECT_STREQ(c.stringKind ? term.toString() : term.toSymbol(), c.stored) << c.given;
    }
}

TEST(Term, KindsAndDefaultValues)
{
    CONSTANT none, number(-7), text("x", true), name("x", false);
    EXPECT_TRUE(none.isNull());
    EXPECT_EQ(none.getType(), CONSTANT::NullConst);
    EXPECT_TRUE(number.isInt());
    EXPECT_EQ(number.toInt(), -7);
    EXPECT_EQ(text.getType(), CONSTANT::String);
    EXPECT_EQ(name.getType(), CONSTANT::Symbol);
    EXPECT_FALSE(number.isString() || number.isSymbol() || number.isNull());
}

TEST(Term, QuotedStringIsANewTextEachCall)
{
    CONSTANT term("\"abc\"", true);
    std::unique_ptr<const char[]> first(term.toQuotedString()), second(term.toQuotedString());
    EXPECT_STREQ(first.get(), "\"abc\"");
    EXPECT_NE(first.get(), second.get());
    EXPECT_NE(first.get(), term.toString());
    EXPECT_STREQ(term.toString(), "abc");
}

TEST(Term, CopiesOwnTheirText)
{
    auto source = std::make_unique<CONSTANT>("hello", true);
    CONSTANT copy(*source);
    EXPECT_NE(copy.toString(), source->toString());
    source.reset();
    EXPECT_STREQ(copy.toString(), "hello");

    CONSTANT symbol("s", false), symbolCopy(symbol);
    EXPECT_TRUE(identical(symbol, symbolCopy));
    EXPECT_TRUE(identical(CONSTANT(CONSTANT(5)), CONSTANT(5)));
    EXPECT_TRUE(CONSTANT(CONSTANT()).isNull());
}

TEST(Term, AssignmentReplacesKindAndPayload)
{
    const CONSTANT sources[] = {CONSTANT(3), CONSTANT("s", false), CONSTANT("t", true), CONSTANT()};
    for (const CONSTANT& target : sources)
        for (const CONSTANT& source : sources) {
            CONSTANT slot(target);
            slot = source;
            EXPECT_TRUE(identical(slot, source)) << describe(target) << " <- " << describe(source);
            if (source.isString()) {
                EXPECT_NE(slot.toString(), source.toString()) << "assignment must copy the text";
            }
        }

    CONSTANT self("same", true);
    const char* text = self.toString();
    CONSTANT& alias = self;
    self = alias;
    EXPECT_EQ(self.toString(), text);
}

struct OrderCase {
    CONSTANT a, b;
    int sign; // of a != b
};

int sign(int v) { return (v > 0) - (v < 0); }

TEST(Term, ThreeWayComparisonAndTheOperatorsOverIt)
{
    const OrderCase cases[] = {
        {CONSTANT(1), CONSTANT("a", false), -1},   {CONSTANT(), CONSTANT(5), 1},
        {CONSTANT(), CONSTANT("z", true), 1},      {CONSTANT("a", true), CONSTANT("b", true), -1},
        {CONSTANT("b", false), CONSTANT("a", false), 1},
        {CONSTANT("z", false), CONSTANT("a", true), -1}, // kinds order before texts
        {CONSTANT("\"q\"", true), CONSTANT("q", true), 0},
        {CONSTANT(), CONSTANT(), 0},               {CONSTANT(4), CONSTANT(4), 0},
        {CONSTANT(INT_MAX), CONSTANT(INT_MIN), 1}, {CONSTANT(INT_MIN), CONSTANT(1), -1},
        {CONSTANT(INT_MIN), CONSTANT(INT_MAX), -1}, {CONSTANT(-2), CONSTANT(3), -1},
    };
    for (const OrderCase& c : cases) {
        std::string what = describe(c.a) + " vs " + describe(c.b);
        EXPECT_EQ(sign(c.a != c.b), c.sign) << what;
        EXPECT_EQ(sign(c.b != c.a), -c.sign) << what;
        EXPECT_EQ(c.a == c.b, c.sign == 0) << what;
        EXPECT_EQ(c.a < c.b, c.sign < 0) << what;
        EXPECT_EQ(c.a <= c.b, c.sign <= 0) << what;
        EXPECT_EQ(c.a > c.b, c.sign > 0) << what;
        EXPECT_EQ(c.a >= c.b, c.sign >= 0) << what;
    }
    EXPECT_EQ(CONSTANT(1) != CONSTANT("a", false), -1); // the difference of the kinds
    EXPECT_EQ(CONSTANT(7) != CONSTANT(2), 5);           // the difference where it fits
}

// The kind checks stop the process with the standard assertion message, even in release builds.
// (A clang build, such as the ThreadSanitizer one, spaces the signatures as `const char *f`.)
TEST(TermDeathTest, QueriesOnTheWrongKindStopTheProcess)
{
    CONSTANT number(1), text("t", true), name("n", false);
    EXPECT_DEATH(text.toInt(), "LIB/extpred.cpp:[0-9]+: int CONSTANT::toInt\\(\\) const: Assertion `type == Integer' failed");
    EXPECT_DEATH(number.toSymbol(),
                 "LIB/extpred.cpp:[0-9]+: const char ?\\* ?CONSTANT::toSymbol\\(\\) const: Assertion `type == Symbol' failed");
    EXPECT_DEATH(name.toString(),
                 "LIB/extpred.cpp:[0-9]+: const char ?\\* ?CONSTANT::toString\\(\\) const: Assertion `type == String' failed");
    EXPECT_DEATH(delete[] name.toQuotedString(), "LIB/extpred.cpp:[0-9]+: const char ?\\* ?"
                                                 "CONSTANT::toQuotedString\\(\\) const: Assertion `type == String' failed");
}

TEST(TermDeathTest, AssigningOverATextTermWithoutItsTextStopsTheProcess)
{
    // Forge a String term whose text is null, the way a faulty host could hand one over.
    alignas(CONSTANT) unsigned char raw[sizeof(CONSTANT)] = {};
    const CONSTANT::TYPE kind = CONSTANT::String;
    std::memcpy(raw, &kind, sizeof kind);
    CONSTANT* broken = reinterpret_cast<CONSTANT*>(raw);
    EXPECT_DEATH(*broken = CONSTANT(1), "LIB/extpred.cpp:[0-9]+: CONSTANT ?& ?CONSTANT::operator=\\(const CONSTANT ?&\\): "
                                        "Assertion `data.string' failed");
}

} // namespace
