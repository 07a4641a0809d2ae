// Term values and the text utilities over them.

// The kind checks below are the only guard against a host misreading a term, so they must
// survive release builds, which define NDEBUG.
#undef NDEBUG
#include <cassert>

#include "extpred.h"
#include "term_writer.h"

#include <climits>
#include <cstring>

namespace {

// Copies text into a new array of length + 1 bytes.
char* copyText(const char* text, std::size_t length)
{
    char* copy = new char[length + 1];
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

bool ownsText(CONSTANT::TYPE type)
{
    return type == CONSTANT::Symbol || type == CONSTANT::String;
}

} // namespace

CONSTANT::CONSTANT() : type(NullConst)
{
    static_assert(offsetof(CONSTANT, data) == sizeof(void*), "the payload follows the 32-bit kind");
    data.string = nullptr;
}

CONSTANT::CONSTANT(const int& value) : type(Integer)
{
    data.string = nullptr; // clear the whole word, not just the int
    data.integer = value;
}

CONSTANT::CONSTANT(const char* text, bool stringKind) : type(stringKind ? String : Symbol)
{
    std::size_t length = std::strlen(text);
    if (length >= 2 && text[0] == '"' && text[length - 1] == '"')
        data.string = copyText(text + 1, length - 2);
    else
        data.string = copyText(text, length);
}

CONSTANT::CONSTANT(const CONSTANT& other) : type(other.type)
{
    if (ownsText(other.type))
        data.string = copyText(other.data.string, std::strlen(other.data.string));
    else
        data = other.data;
}

CONSTANT& CONSTANT::operator=(const CONSTANT& other)
{
    if (this == &other)
        return *this;
    // Allocate before releasing anything, so that a failed allocation leaves this term intact.
    char* text = ownsText(other.type) ? copyText(other.data.string, std::strlen(other.data.string)) : nullptr;
    if (ownsText(type)) {
        assert(data.string);
        delete[] data.string;
    }
    if (text)
        data.string = text;
    else
        data = other.data;
    type = other.type;
    return *this;
}

void TermWriter::releaseText(CONSTANT& term)
{
    if (ownsText(term.type)) {
        assert(term.data.string);
        delete[] term.data.string;
    }
}

void TermWriter::setString(CONSTANT& term, const char* text, std::size_t length)
{
    adoptString(term, copyText(text, length));
}

void TermWriter::adoptString(CONSTANT& term, char* text)
{
    releaseText(term);
    term.data.string = text;
    term.type = CONSTANT::String;
}

void TermWriter::setInteger(CONSTANT& term, int value)
{
    releaseText(term);
    term.data.string = nullptr; // clear the whole word, not just the int
    term.data.integer = value;
    term.type = CONSTANT::Integer;
}

CONSTANT::~CONSTANT()
{
    if (ownsText(type))
        delete[] data.string;
}

CONSTANT::TYPE CONSTANT::getType() const { return type; }
bool CONSTANT::isInt() const { return type == Integer; }
bool CONSTANT::isString() const { return type == String; }
bool CONSTANT::isSymbol() const { return type == Symbol; }
bool CONSTANT::isNull() const { return type == NullConst; }

int CONSTANT::toInt() const
{
    assert(type == Integer);
    return data.integer;
}

const char* CONSTANT::toString() const
{
    assert(type == String);
    return data.string;
}

const char* CONSTANT::toSymbol() const
{
    assert(type == Symbol);
    return data.string;
}

const char* CONSTANT::toQuotedString() const
{
    assert(type == String);
    std::size_t length = std::strlen(data.string);
    char* quoted = new char[length + 3];
    quoted[0] = '"';
    std::memcpy(quoted + 1, data.string, length);
    quoted[length + 1] = '"';
    quoted[length + 2] = '\0';
    return quoted;
}

int CONSTANT::operator!=(const CONSTANT& other) const
{
    if (type != other.type)
        return type - other.type;
    switch (type) {
    case Integer: {
        // The plain difference overflows for far-apart values; keep its sign.
        long long difference = static_cast<long long>(data.integer) - other.data.integer;
        if (difference > INT_MAX)
            return INT_MAX;
        if (difference < INT_MIN)
            return INT_MIN;
        return static_cast<int>(difference);
    }
    case Symbol:
    case String:
        return std::strcmp(data.string, other.data.string);
    case NullConst:
        break;
    }
    return 0; // two NullConst terms are equal
}

bool CONSTANT::operator==(const CONSTANT& other) const { return (*this != other) == 0; }
bool CONSTANT::operator<(const CONSTANT& other) const { return (*this != other) < 0; }
bool CONSTANT::operator<=(const CONSTANT& other) const { return (*this != other) <= 0; }
bool CONSTANT::operator>(const CONSTANT& other) const { return (*this != other) > 0; }
bool CONSTANT::operator>=(const CONSTANT& other) const { return (*this != other) >= 0; }

// ---- text utilities over bracketed term texts ----

// The bracket pairs, opening then closing. Not const and not terminated: hosts read and may
// patch it, and every bracket test below reads it at the time of the call.
char StartEndSymbols[8] = {'(', ')', '{', '}', '<', '>', '[', ']'};

namespace {

constexpr int bracketPairs = sizeof StartEndSymbols / 2;

// Pair index whose character at `side` (0 opening, 1 closing) is c, or -1.
int bracketIndex(char c, int side)
{
    for (int k = 0; k < bracketPairs; ++k)
        if (StartEndSymbols[2 * k + side] == c)
            return k;
    return -1;
}

// Calls element(start, length) for each top-level element of the bracketed term in text:
// the stretches between commas at depth 0 outside double quotes, up to the partner of the
// first opening bracket. A text without an opening bracket has no elements.
template <class Element>
void forEachElement(const std::string& text, Element element)
{
    std::size_t n = text.size(), open = 0;
    while (open < n && !isStartSymbol(text[open]))
        ++open;
    if (open == n)
        return;
    const char close = StartEndSymbols[2 * getStartSymbolIndex(text[open]) + 1];

    std::size_t start = open + 1;
    long depth = 0; // goes negative after the closing bracket, so later commas do not split
    bool quoted = false;
    for (std::size_t j = open + 1; j < n; ++j) {
        const char c = text[j];
        if ((c == ',' || c == close) && depth == 0 && !quoted) {
            if (start < j)
                element(start, j - start);
            // An empty stretch is skipped whole, so a comma never leaks into the next element.
            start = j + 1;
        }
        if (isStartSymbol(c))
            ++depth;
        if (isEndSymbol(c))
            --depth;
        if (c == '"')
            quoted = !quoted;
    }
}

} // namespace

bool isStartSymbol(char c) { return bracketIndex(c, 0) >= 0; }
bool isEndSymbol(char c) { return bracketIndex(c, 1) >= 0; }
int getStartSymbolIndex(char c) { return bracketIndex(c, 0); }

void parseStringTerm(std::string text, STRINGVECTOR& elements)
{
    forEachElement(text, [&](std::size_t start, std::size_t length) { elements.emplace_back(text, start, length); });
}

int nElementsOf(std::string text)
{
    int count = 0;
    forEachElement(text, [&](std::size_t, std::size_t) { ++count; });
    return count;
}

std::string fromConstantToString(CONSTANT c)
{
    std::string result;
    if (c.isSymbol())
        result = c.toSymbol();
    if (c.isString())
        result.append(1, '"').append(c.toString()).append(1, '"');
    if (c.isInt())
        result = std::to_string(c.toInt()); // locale-free, unlike a stream under a changed global locale
    return result;
}
