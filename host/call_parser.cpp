#include "call_parser.h"

#include "extpred.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string trimmed(const std::string& text)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

struct ShapeError {
    std::size_t at; // 0-based
    std::string message;
};

// Walks the call once and records each argument. The library's splitter reports nothing
// for a text it cannot split cleanly (it drops or merges stretches), so every such text
// is refused here first, with the place where it goes wrong.
class Scanner {
public:
    explicit Scanner(const std::string& text) : text_(text) {}

    Call scan()
    {
        skipBlanks();
        if (!isLower(peek()))
            fail("expected a predicate name (a word starting with a lower-case letter)");
        Call call;
        call.name = word();
        skipBlanks();
        if (peek() != '(')
            fail("expected '(' after the predicate name");
        ++at_;
        skipBlanks();
        if (peek() != ')') {
            for (;;) {
                call.arguments.push_back(argument());
                skipBlanks();
                if (peek() == ',') {
                    ++at_;
                    skipBlanks();
                    continue;
                }
                if (peek() == ')')
                    break;
                fail(atEnd() ? "expected ',' or ')': the call ends early" : "expected ',' or ')' after an argument");
            }
        }
        ++at_;
        skipBlanks();
        if (!atEnd())
            fail("unexpected text after the closing ')'");
        return call;
    }

private:
    [[noreturn]] void fail(const std::string& message) const { throw ShapeError{at_, message}; }
    [[noreturn]] void failAt(std::size_t at, const std::string& message) const { throw ShapeError{at, message}; }

    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(text_[at_]))
            ++at_;
    }
    std::string word()
    {
        std::size_t begin = at_;
        while (!atEnd() && isWordChar(text_[at_]))
            ++at_;
        return text_.substr(begin, at_ - begin);
    }

    Argument argument()
    {
        char c = peek();
        if (c == '"')
            return quoted();
        if (isDigit(c) || c == '+' || c == '-')
            return integer();
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            bool variable = c == '_' || std::isupper(static_cast<unsigned char>(c));
            return Argument{variable ? Argument::Variable : Argument::Name, word()};
        }
        fail(atEnd() ? "expected an argument: the call ends early"
                     : "expected an argument: a \"quoted\" real, an integer or a name");
    }

    Argument quoted()
    {
        std::size_t begin = at_;
        std::size_t end = text_.find('"', begin + 1);
        if (end == std::string::npos)
            failAt(begin, "this quoted text has no closing '\"'");
        // Brackets inside quotes still count towards the splitter's nesting depth.
        for (std::size_t k = begin + 1; k < end; ++k)
            if (isStartSymbol(text_[k]) || isEndSymbol(text_[k]))
                failAt(k, std::string("a quoted text cannot hold the bracket '") + text_[k] + "'");
        at_ = end + 1;
        return Argument{Argument::Text, text_.substr(begin, at_ - begin)};
    }

    Argument integer()
    {
        std::size_t begin = at_;
        if (peek() == '+' || peek() == '-')
            ++at_;
        if (!isDigit(peek()))
            fail("expected digits after the sign");
        while (isDigit(peek()))
            ++at_;
        if (peek() == '.' || peek() == 'e' || peek() == 'E')
            failAt(begin, "a real is written in double quotes, as in \"1.5\"");
        std::string written = text_.substr(begin, at_ - begin);
        // from_chars takes no leading plus.
        const char* first = written.c_str() + (written[0] == '+' ? 1 : 0);
        int value = 0;
        auto [end, error] = std::from_chars(first, written.c_str() + written.size(), value);
        if (error != std::errc() || end != written.c_str() + written.size())
            failAt(begin, "this integer does not fit in 32 bits");
        return Argument{Argument::Integer, written, value};
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

} // namespace

std::string Call::pattern() const
{
    std::string letters;
    for (const Argument& argument : arguments)
        letters += argument.kind == Argument::Variable ? 'o' : 'i';
    return letters;
}

std::string Call::symbol() const { return name + '_' + pattern(); }

std::variant<Call, CallError> parseCall(const std::string& text)
{
    Call call;
    try {
        call = Scanner(text).scan();
    } catch (const ShapeError& error) {
        return CallError{error.at + 1, error.message};
    }
    if (call.arguments.empty())
        return call; // "f( )" would split into one blank element

    STRINGVECTOR elements;
    parseStringTerm(text, elements);
    bool same = elements.size() == call.arguments.size();
    for (std::size_t k = 0; same && k < elements.size(); ++k) {
        std::string element = trimmed(elements[k]);
        same = element == call.arguments[k].text;
        call.arguments[k].text = element;
    }
    if (!same)
        return CallError{text.find('(') + 2, "parseStringTerm split the arguments differently from how they are written"};
    return call;
}
