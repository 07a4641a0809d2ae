// The host's call syntax: what each written call becomes, and where a malformed one goes wrong.
#include "call_parser.h"
#include "formula.h"
#include "predicate_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

struct ShapeCase {
    const char* text;
    const char* symbol;
    std::vector<std::string> arguments; // as the terms will be built from them
};

TEST(CallParser, SplitsAndClassifiesArguments)
{
    const ShapeCase cases[] = {
        {"addR(\"1.5\", \"2.25\", X)", "addR_iio", {"\"1.5\"", "\"2.25\"", "X"}},
        {"  f ( \"a,b\" ,\t-3 , _Y, abc )  ", "f_iioi", {"\"a,b\"", "-3", "_Y", "abc"}},
        {"round(\"2.5\",+0,_)", "round_iio", {"\"2.5\"", "+0", "_"}},
        {"log2(\"\", x1)", "log2_ii", {"\"\"", "x1"}},
        {"f()", "f_", {}},
        {"g( )", "g_", {}},
    };
    for (const ShapeCase& c : cases) {
        auto parsed = parseCall(c.text);
        ASSERT_TRUE(std::holds_alternative<Call>(parsed)) << c.text << ": " << std::get<CallError>(parsed).message;
        const Call& call = std::get<Call>(parsed);
        EXPECT_EQ(call.symbol(), c.symbol) << c.text;
        std::vector<std::string> texts;
        for (const Argument& argument : call.arguments)
            texts.push_back(argument.text);
        EXPECT_EQ(texts, c.arguments) << c.text;
    }
}

TEST(CallParser, KindsAndIntegerValues)
{
    auto parsed = parseCall("p(\"x\", -2147483648, +7, Var, _, sym)");
    ASSERT_TRUE(std::holds_alternative<Call>(parsed));
    const std::vector<Argument>& arguments = std::get<Call>(parsed).arguments;
    ASSERT_EQ(arguments.size(), 6u);
    const Argument::Kind kinds[] = {Argument::Text,     Argument::Integer,  Argument::Integer,
                                    Argument::Variable, Argument::Variable, Argument::Name};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_EQ(arguments[k].kind, kinds[k]) << k;
    EXPECT_EQ(arguments[1].value, INT_MIN);
    EXPECT_EQ(arguments[2].value, 7);
}

struct ErrorCase {
    std::string text;
    std::size_t column;
    const char* message; // a part of it
};

TEST(CallParser, MalformedCallsSayWhatAndWhere)
{
    const ErrorCase cases[] = {
        {"", 1, "expected a predicate name"},
        {"Addr(X)", 1, "expected a predicate name"},
        {"addR X", 6, "expected '('"},
        {"addR[X]", 5, "expected '('"},
        {"f(a,)", 5, "expected an argument"},
        {"f(a,,b)", 5, "expected an argument"},
        {"f(#)", 3, "expected an argument"},
        {"f(a,", 5, "ends early"},
        {"f(a", 4, "ends early"},
        {"f(a b)", 5, "expected ',' or ')'"},
        {"f(g(a))", 4, "expected ',' or ')'"},
        {"f(\"a)", 3, "no closing"},
        {"f(\"(a(b)\")", 4, "bracket '('"}, // a formula's brackets must pair
        {"f(\"a)(b\")", 5, "bracket ')'"},
        {std::string("f(\"4\0x\")", 8), 5, "NUL byte"},
        {"f(1.5)", 3, "double quotes"},
        {"f(+)", 4, "digits"},
        {"f(2147483648)", 3, "32 bits"},
        {"f(12ab)", 5, "expected ',' or ')'"},
        {"f(a) b", 6, "after the closing ')'"},
    };
    for (const ErrorCase& c : cases) {
        auto parsed = parseCall(c.text);
        ASSERT_TRUE(std::holds_alternative<CallError>(parsed)) << c.text;
        const CallError& error = std::get<CallError>(parsed);
        EXPECT_EQ(error.column, c.column) << c.text << ": " << error.message;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << c.text << ": " << error.message;
    }
}

struct BodyCase {
    std::string text;
    std::vector<std::string> symbols; // empty: malformed
    std::vector<std::size_t> at;      // where each call starts, or where the problem is seen
    std::size_t call = 0;             // the call with the problem
    const char* message = "";         // a part of it
};

TEST(CallParser, SplitsBodiesIntoCallsOrSaysWhichCallIsWrong)
{
    const BodyCase cases[] = {
        {"f(X)", {"f_o"}, {0}},
        {"?- f(X), g(\"a,b.\", Y) .  ", {"f_o", "g_io"}, {3, 9}},
        {"  f(\"1.5\"),h(1).", {"f_i", "h_i"}, {2, 11}},
        {"f(X),", {}, {5}, 2, "expected a predicate name"},
        {"f(X), g(Y", {}, {9}, 2, "ends early"},
        {"f(X). g(Y)", {}, {4}, 1, "after the closing ')'"},
        {"f(X), g(a(b), Y)", {}, {9}, 2, "expected ',' or ')'"},
        {std::string("f(X), g(\0)", 11), {}, {8}, 2, "NUL byte"},
        {"?- .", {}, {3}, 1, "expected a predicate name"},
    };
    for (const BodyCase& c : cases) {
        auto parsed = parseBody(c.text);
        if (c.symbols.empty()) {
            ASSERT_TRUE(std::holds_alternative<BodyError>(parsed)) << c.text;
            const BodyError& error = std::get<BodyError>(parsed);
            EXPECT_EQ(error.at, c.at[0]) << c.text << ": " << error.message;
            EXPECT_EQ(error.call, c.call) << c.text << ": " << error.message;
            EXPECT_NE(error.message.find(c.message), std::string::npos) << c.text << ": " << error.message;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Body>(parsed)) << c.text << ": " << std::get<BodyError>(parsed).message;
        std::vector<std::string> symbols;
        std::vector<std::size_t> at;
        for (const Call& call : std::get<Body>(parsed)) {
            symbols.push_back(call.symbol());
            at.push_back(call.at);
        }
        EXPECT_EQ(symbols, c.symbols) << c.text;
        EXPECT_EQ(at, c.at) << c.text;
    }
}

// A line waits for the next only when it stops inside the body; a quote left open is the line's
// own problem, and brackets or commas inside quotes count for nothing.
TEST(CallParser, ABodyGoesOnAfterACommaOrAnOpenBracket)
{
    const std::pair<const char*, bool> cases[] = {
        {"f(X), ", true},  {"f(X,", true},      {"f(g(X)", true},      {"f(X)", false},
        {"f(X).", false},  {"f(\"a,", false},  {"f(\"(\", X)", false}, {"f(X)) (", true},
    };
    for (const auto& [text, continues] : cases)
        EXPECT_EQ(bodyContinues(text), continues) << text;
}

// help evalR lists the functions from the README's table: each one the evaluator knows, with
// as many arguments as it takes, and none that it does not know.
TEST(CallParser, TheTableOfFunctionsIsTheEvaluators)
{
    FormulaFunctions functions = formulaFunctions();
    ASSERT_EQ(FUNCTION_ROW_COUNT, static_cast<std::size_t>(functions.last - functions.first));
    for (std::size_t k = 0; k < FUNCTION_ROW_COUNT; ++k) {
        const FunctionRow& row = FUNCTION_ROWS[k];
        const FormulaFunction* f = std::find_if(functions.first, functions.last,
                                                [&](const FormulaFunction& each) { return std::strcmp(each.name, row.name) == 0; });
        ASSERT_NE(f, functions.last) << row.name << " is no function of a formula";
        EXPECT_EQ(std::count(row.arguments, row.arguments + std::strlen(row.arguments), ',') + 1, f->arity) << row.name;
    }
}

} // namespace
