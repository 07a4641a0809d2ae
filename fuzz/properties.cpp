#include "properties.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace properties {

namespace {

// Kind and payload, read through the queries only (not through the comparison under test).
bool sameTerm(const CONSTANT& a, const CONSTANT& b)
{
    if (a.getType() != b.getType())
        return false;
    switch (a.getType()) {
    case CONSTANT::Integer: return a.toInt() == b.toInt();
    case CONSTANT::Symbol: return std::strcmp(a.toSymbol(), b.toSymbol()) == 0;
    case CONSTANT::String: return std::strcmp(a.toString(), b.toString()) == 0;
    case CONSTANT::NullConst: return true;
    }
    return false;
}

bool digits(const char*& p, std::size_t minimum, std::size_t maximum)
{
    std::size_t n = 0;
    while (*p >= '0' && *p <= '9' && n < maximum)
        ++p, ++n;
    return n >= minimum;
}

bool expectedKind(const PredicateSymbol& symbol, unsigned slot, const CONSTANT& term)
{
    if (symbol.integerInput(slot))
        return term.isInt();
    return term.isString() || (symbol.integerOperand(slot) && term.isInt());
}

int sign(int v) { return (v > 0) - (v < 0); }

// A real as the library writes it: sign, digits, point and 8 decimals, or inf, -inf, nan, -nan.
bool isNumberText(const char* text)
{
    for (const char* special : {"inf", "-inf", "nan", "-nan"})
        if (std::strcmp(text, special) == 0)
            return true;
    const char* p = text;
    if (*p == '-')
        ++p;
    return digits(p, 1, SIZE_MAX) && *p++ == '.' && digits(p, 8, 8) && *p == '\0';
}

} // namespace

CallCheck checkPredicateCall(const PredicateSymbol& symbol, const std::vector<CONSTANT>& slots)
{
    const unsigned arity = symbol.arity();
    const unsigned out = static_cast<unsigned>(symbol.outputSlot()); // past every slot for a test pattern
    if (slots.size() != arity)
        return {"", "the test gave " + std::to_string(slots.size()) + " slots to " + symbol.name};

    std::vector<CONSTANT> argv = slots;
    const bool holds = symbol.predicate(argv.data(), arity);
    std::ostringstream fault;

    for (unsigned k = 0; k < arity; ++k) {
        if (k == out)
            continue;
        if (!sameTerm(argv[k], slots[k]))
            fault << "input slot " << k << " changed from " << describe(slots[k]) << " to " << describe(argv[k])
                  << "; ";
        if (holds && !expectedKind(symbol, k, slots[k]))
            fault << "true although slot " << k << " holds " << describe(slots[k]) << "; ";
    }
    std::string answer = holds ? "true" : "false";
    if (out < arity) {
        const CONSTANT& written = argv[out];
        if (!holds && !sameTerm(written, slots[out]))
            fault << "a false answer wrote " << describe(written) << "; ";
        if (holds && symbol.writesInteger() && !written.isInt())
            fault << "wrote " << describe(written) << " instead of an Integer; ";
        if (holds && !symbol.writesInteger() && !(written.isString() && isNumberText(written.toString())))
            fault << "wrote " << describe(written) << ", not a number text; ";
        if (holds)
            answer += " " + describe(written);
    }

    std::vector<CONSTANT> again = slots;
    const bool holdsAgain = symbol.predicate(again.data(), arity);
    if (holdsAgain != holds || (out < arity && !sameTerm(again[out], argv[out])))
        fault << "the same call answered differently the second time; ";

    // A rule program hands an answer on to a test: its own test must hold for it.
    const PredicateSymbol* test = holds ? ownTestOf(symbol) : nullptr;
    const CONSTANT& answerTerm = argv[arity - 1];
    if (test && !(answerTerm.isString() && std::strstr(answerTerm.toString(), "nan"))) {
        std::vector<CONSTANT> checked = argv;
        if (!test->predicate(checked.data(), arity))
            fault << test->name << " rejects the answer " << describe(answerTerm) << "; ";
    }

    std::string faults = fault.str();
    if (faults.empty())
        return {answer, ""};
    std::string call = std::string(symbol.name) + "(";
    for (unsigned k = 0; k < arity; ++k)
        call += (k ? ", " : "") + describe(slots[k]);
    return {answer, call + ") answered " + answer + ": " + faults};
}

std::string checkRealCodec(const std::string& text)
{
    const std::string stored = text.c_str(); // as a term stores it: up to the first NUL
    CONSTANT argv[3] = {CONSTANT(stored.c_str(), true), CONSTANT("0", true), CONSTANT()};
    char expected[400]; // "%.8f" of -DBL_MAX takes 319
    // The term has dropped one pair of enclosing quotes, which are not part of the real.
    std::snprintf(expected, sizeof expected, "%.*f", 8, std::atof(argv[0].toString()));

    // x - 0 is x itself, bit for bit (negative zero and NaN included), so this writes the real read.
    if (!subtR_iio(argv, 3))
        return "subtR_iio failed on '" + stored + "'";
    if (!argv[2].isString() || std::strcmp(expected, argv[2].toString()) != 0)
        return "'" + stored + "' was written as " + describe(argv[2]) + ", the C library writes " + expected;
    return "";
}

std::string checkElements(const std::string& text)
{
    const std::string sentinel = "earlier element";
    STRINGVECTOR elements{sentinel};
    parseStringTerm(text, elements);
    if (elements.empty() || elements[0] != sentinel)
        return "parseStringTerm changed what the vector held before";

    std::size_t open = 0;
    while (open < text.size() && !isStartSymbol(text[open]))
        ++open;
    std::size_t next = open + 1; // where the next element may start
    for (std::size_t i = 1; i < elements.size(); ++i) {
        const std::string& element = elements[i];
        if (element.empty())
            return "element " + std::to_string(i - 1) + " is empty";
        std::size_t at = text.find(element, next);
        if (at == std::string::npos)
            return "element " + std::to_string(i - 1) + " '" + element +
                   "' is no stretch of the text after the previous element";
        next = at + element.size();
    }
    int count = nElementsOf(text);
    if (count < 0 || static_cast<std::size_t>(count) != elements.size() - 1)
        return "nElementsOf gives " + std::to_string(count) + " but parseStringTerm appended " +
               std::to_string(elements.size() - 1);
    return "";
}

namespace {

// Each term owns its text: a copy that points into its source's dies with it.
bool sharesText(const CONSTANT& a, const CONSTANT& b)
{
    return (a.isString() && b.isString() && a.toString() == b.toString()) ||
           (a.isSymbol() && b.isSymbol() && a.toSymbol() == b.toSymbol());
}

std::string checkOne(const CONSTANT& a)
{
    CONSTANT copy(a);
    if (!sameTerm(copy, a))
        return "a copy of " + describe(a) + " is " + describe(copy);
    if (sharesText(copy, a))
        return "a copy shares its text with the source";
    if ((a != copy) != 0 || !(a == copy) || a < copy || a > copy || !(a <= copy) || !(a >= copy))
        return describe(a) + " does not compare equal to its copy";

    CONSTANT self(a);
    CONSTANT& alias = self;
    self = alias;
    if (!sameTerm(self, a))
        return "assigning " + describe(a) + " to itself changed it";

    std::string form = fromConstantToString(a);
    std::string expected;
    if (a.isSymbol())
        expected = a.toSymbol();
    if (a.isString()) {
        std::unique_ptr<const char[]> quoted(a.toQuotedString());
        expected = quoted.get();
        if (expected != "\"" + std::string(a.toString()) + "\"")
            return "toQuotedString of " + describe(a) + " is " + expected;
        if (!sameTerm(CONSTANT(form.c_str(), true), a))
            return "the text form of " + describe(a) + " does not read back as the same String";
    }
    if (a.isInt())
        expected = std::to_string(a.toInt());
    if (form != expected)
        return "the text form of " + describe(a) + " is '" + form + "'";
    return "";
}

std::string checkPair(const CONSTANT& a, const CONSTANT& b)
{
    const std::string pair = describe(a) + " and " + describe(b);
    const int ab = a != b, ba = b != a;
    if (sign(ab) != -sign(ba))
        return pair + ": a != b is " + std::to_string(ab) + " but b != a is " + std::to_string(ba);
    if ((a == b) != (ab == 0) || (a < b) != (ab < 0) || (a <= b) != (ab <= 0) || (a > b) != (ab > 0) ||
        (a >= b) != (ab >= 0))
        return pair + ": the operators disagree with the three-way result " + std::to_string(ab);
    if (a.getType() != b.getType() && sign(ab) != sign(a.getType() - b.getType()))
        return pair + ": terms of different kinds must order by kind";
    if ((ab == 0) != sameTerm(a, b))
        return pair + ": equal exactly when kind and payload are";

    CONSTANT target(a);
    const CONSTANT source(b);
    CONSTANT& result = (target = source);
    if (&result != &target || !sameTerm(target, b) || !sameTerm(source, b))
        return "assigning " + describe(b) + " over " + describe(a) + " gave " + describe(target);
    if (sharesText(target, source))
        return "an assigned " + describe(source) + " shares its text with the source";
    return "";
}

} // namespace

std::string checkTerms(const std::vector<CONSTANT>& terms)
{
    for (const CONSTANT& a : terms)
        if (std::string fault = checkOne(a); !fault.empty())
            return fault;
    for (const CONSTANT& a : terms)
        for (const CONSTANT& b : terms)
            if (std::string fault = checkPair(a, b); !fault.empty())
                return fault;
    for (const CONSTANT& a : terms)
        for (const CONSTANT& b : terms)
            for (const CONSTANT& c : terms)
                if (a <= b && b <= c && !(a <= c))
                    return describe(a) + " <= " + describe(b) + " <= " + describe(c) + " but not the first <= the last";
    return "";
}

} // namespace properties
