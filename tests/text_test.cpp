// Splitting bracketed term texts, bracket tests and the text form of terms.
#include "predicates.h"

#include <climits>
#include <cstring>

namespace {

struct SplitCase {
    std::string text;
    STRINGVECTOR elements;
};

TEST(Text, SplitsTopLevelElements)
{
    const SplitCase cases[] = {
        {"f(a,b)", {"a", "b"}},
        {"[a,(b,c),\"x,y\"]", {"a", "(b,c)", "\"x,y\""}},
        {"(a)", {"a"}},
        {"()", {}},
        {"f()", {}},
        {"(", {}},
        {"{a,[b,c],<d,e>}", {"a", "[b,c]", "<d,e>"}},
        {"p(q(r,s),t)", {"q(r,s)", "t"}},
        {"t<x,y>", {"x", "y"}},
        {"abc[1,2]", {"1", "2"}},
        {"f(a, b)", {"a", " b"}},
        {"f(a,)", {"a"}},
        {"f(a,b", {"a"}},
        {"f(a,b))", {"a", "b"}},
        {"f(a)b,c", {"a"}},
        {"(\"a,b\",c)", {"\"a,b\"", "c"}},
        {"f(x<y)", {}},
        {"f(\"(a)\",b)", {"\"(a)\"", "b"}},
        {"f(\"x)\",1)", {}},
        {"f(a]b,c)", {}}, // any closing bracket lowers the depth
        // No opening bracket: nothing to split.
        {"", {}},
        {"a", {}},
        {"1.5", {}},
        // An empty stretch at a comma is skipped whole; the comma joins no element.
        {"(a,,b)", {"a", "b"}},
        {"(,a)", {"a"}},
        {"(,,)", {}},
        {"f(a,,)", {"a"}},
    };
    for (const SplitCase& c : cases) {
        STRINGVECTOR elements;
        parseStringTerm(c.text, elements);
        EXPECT_EQ(elements, c.elements) << c.text;
        EXPECT_EQ(nElementsOf(c.text), static_cast<int>(c.elements.size())) << c.text;
    }
}

TEST(Text, AppendsAndLeavesTheCallersTextAlone)
{
    std::string text = "f(a,b)";
    STRINGVECTOR elements{"kept"};
    parseStringTerm(text, elements);
    parseStringTerm(text, elements);
    EXPECT_EQ(elements, (STRINGVECTOR{"kept", "a", "b", "a", "b"}));
    EXPECT_EQ(text, "f(a,b)");
}

TEST(Text, BracketTestsReadTheTableWhenTheyRun)
{
    const char opening[] = "({<[", closing[] = ")}>]";
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(isStartSymbol(opening[k]));
        EXPECT_FALSE(isEndSymbol(opening[k]));
        EXPECT_TRUE(isEndSymbol(closing[k]));
        EXPECT_FALSE(isStartSymbol(closing[k]));
        EXPECT_EQ(getStartSymbolIndex(opening[k]), k);
        EXPECT_EQ(getStartSymbolIndex(closing[k]), -1);
    }
    for (char other : {'\0', 'a', ',', '"', ' '}) {
        EXPECT_FALSE(isStartSymbol(other));
        EXPECT_FALSE(isEndSymbol(other));
        EXPECT_EQ(getStartSymbolIndex(other), -1);
    }

    // A host that patches the table changes what every function treats as a bracket.
    char saved[8];
    std::memcpy(saved, StartEndSymbols, sizeof saved);
    StartEndSymbols[0] = '|';
    StartEndSymbols[1] = '|';
    EXPECT_TRUE(isStartSymbol('|'));
    EXPECT_FALSE(isStartSymbol('('));
    STRINGVECTOR elements;
    parseStringTerm("(x)|a,b|", elements);
    EXPECT_EQ(elements, (STRINGVECTOR{"a", "b"}));
    std::memcpy(StartEndSymbols, saved, sizeof saved);
    EXPECT_EQ(std::string(StartEndSymbols, 8), "(){}<>[]");
}

TEST(Text, TextFormOfEveryKind)
{
    const struct {
        CONSTANT term;
        const char* text;
    } cases[] = {
        {sym("abc"), "abc"},       {real("abc"), "\"abc\""}, {integer(-42), "-42"},
        {integer(0), "0"},         {null(), ""},             {integer(INT_MIN), "-2147483648"},
        {real("a\"b"), "\"a\"b\""}, // inner quotes are not escaped
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromConstantToString(c.term), c.text) << describe(c.term);
}

TEST(Text, TextFormOfAStringReadsBackAsAnEqualString)
{
    for (const char* stored : {"abc", "", "3.75000000", "\"q\"", "with blank", "\"", "a\"\"b"}) {
        CONSTANT term = real(("\"" + std::string(stored) + "\"").c_str());
        ASSERT_STREQ(term.toString(), stored);
        CONSTANT back(fromConstantToString(term).c_str(), true);
        EXPECT_TRUE(identical(back, term)) << stored;
    }
}

} // namespace
