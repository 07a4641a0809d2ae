#include "call_parser.h"

#include "extpred.h"
#include "formula_faults.h"
#include "wide_characters.h"

#include <cctype>
#include <charconv>

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

// Walks the call once and records each argument. The library's splitter reports nothing
// for a text it cannot split cleanly (it drops or merges stretches), so every such text
// is refused here first, with the place where it goes wrong.
class Scanner {
public:
    explicit Scanner(const std::string& text) : text_(text) {}

    Call scan()
    {
        // A term's text ends at its first NUL: "4<NUL>x" would quietly become "4".
        std::size_t nul = text_.find('\0');
        if (nul != std::string::npos)
            failAt(nul, "a call cannot hold a NUL byte");
        skipBlanks();
        if (!isLower(peek()))
            fail("expected a predicate name (a word starting with a lower-case letter)");
        Call call;
        call.at = at_;
        call.name = word();
        skipBlanks();
        if (!accept('('))
            fail("expected '(' after the predicate name");
        if (!accept(')')) {
            do {
                misfit_ = {call.name, call.arguments.size(), ""};
                call.arguments.push_back(argument());
                skipBlanks();
            } while (accept(','));
            if (!accept(')'))
                fail(atEnd() ? "expected ',' or ')': the call ends early" : "expected ',' or ')' after an argument");
        }
        if (!atEnd())
            fail("unexpected text after the closing ')'");
        return call;
    }

private:
    [[noreturn]] void failAt(std::size_t at, const std::string& message) const { throw CallError{at + 1, message}; }
    [[noreturn]] void fail(const std::string& message) const { failAt(at_, message); }

    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(text_[at_]))
            ++at_;
    }
    // Steps over c and the blanks after it, if c comes next.
    bool accept(char c)
    {
        if (peek() != c)
            return false;
        ++at_;
        skipBlanks();
        return true;
    }
    // Letters of any script count, as in a Prolog name: Résultat, été.
    std::string word()
    {
        std::size_t begin = at_;
        while (!atEnd()) {
            if (isWordChar(text_[at_])) {
                ++at_;
                continue;
            }
            WideCharacter character = wideCharacterAt(text_, at_);
            if (static_cast<unsigned char>(text_[at_]) < 0x80 || !character.alnum)
                break;
            at_ += character.length;
        }
        return text_.substr(begin, at_ - begin);
    }

    Argument argument()
    {
        char c = peek();
        if (c == '"')
            return quoted();
        if (isDigit(c) || c == '+' || c == '-')
            return integer();
        WideCharacter first = wideCharacterAt(text_, at_);
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (first.alnum && !isDigit(c))) {
            bool variable = c == '_' || std::isupper(static_cast<unsigned char>(c)) || first.upper;
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
        // Brackets inside quotes still count towards the splitter's nesting depth, so a quoted text
        // (a formula) must close as many as it opens: then the depth after it is the depth before.
        // A < or > alone is a formula's comparison, which no formula has.
        if (std::size_t unpaired = unpairedBracket(begin + 1, end); unpaired != end)
            failAt(unpaired, text_[unpaired] == '<' || text_[unpaired] == '>'
                                 ? FORMULA_COMPARISONS
                                 : std::string("the bracket '") + text_[unpaired] + "' has no partner inside this quoted text");
        at_ = end + 1;
        return Argument{Argument::Text, text_.substr(begin, at_ - begin)};
    }

    // Where the brackets from `begin` to `end` do not balance: the first closing one with no
    // opening one before it, or the last opening one with no closing one after it; else end.
    std::size_t unpairedBracket(std::size_t begin, std::size_t end) const
    {
        long depth = 0;
        for (std::size_t k = begin; k < end; ++k)
            if ((depth += isStartSymbol(text_[k]) - isEndSymbol(text_[k])) < 0)
                return k;
        long closing = 0; // met so far, from the end back
        for (std::size_t k = end; depth > 0 && k-- > begin;) {
            if (isEndSymbol(text_[k]))
                ++closing;
            else if (isStartSymbol(text_[k]) && closing-- == 0)
                return k;
        }
        return end;
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
        if (peek() == '.' || peek() == 'e' || peek() == 'E') {
            misfit_.text = text_.substr(begin, text_.find_first_not_of("0123456789.eE+-", at_) - begin);
            throw CallError{begin + 1, "a real is written in double quotes, as in \"1.5\"", misfit_};
        }
        // from_chars takes no leading plus.
        const char* first = text_.data() + begin + (text_[begin] == '+');
        int value = 0;
        if (std::from_chars(first, text_.data() + at_, value).ec != std::errc())
            failAt(begin, "this integer does not fit in 32 bits");
        return Argument{Argument::Integer, text_.substr(begin, at_ - begin), value};
    }

    const std::string& text_;
    std::size_t at_ = 0;
    Misfit misfit_{}; // the argument being read
};

} // namespace

std::string Call::symbol(const std::unordered_set<std::string>& bound) const
{
    std::string symbol = name + '_';
    for (const Argument& argument : arguments) {
        bool output = argument.kind == Argument::Variable && bound.count(argument.text) == 0;
        symbol += output ? 'o' : 'i';
    }
    return symbol;
}

std::variant<Call, CallError> parseCall(const std::string& text)
{
    Call call;
    try {
        call = Scanner(text).scan();
    } catch (const CallError& error) {
        return error;
    }
    if (call.arguments.empty())
        return call; // "f( )" would split into one blank element

    STRINGVECTOR elements;
    parseStringTerm(text, elements);
    bool same = elements.size() == call.arguments.size();
    for (std::size_t k = 0; same && k < elements.size(); ++k)
        same = trimmed(elements[k]) == call.arguments[k].text;
    if (!same)
        return CallError{text.find('(') + 2, "the engine would split these arguments otherwise than they are written"};
    return call;
}

std::variant<Body, BodyError> parseBody(const std::string& line)
{
    std::size_t begin = line.find_first_not_of(" \t");
    begin = begin == std::string::npos ? line.size() : begin;
    if (line.compare(begin, 2, "?-") == 0)
        begin += 2;

    // The calls' spans: a comma separates two calls only outside parentheses and quotes, and
    // a full stop there ends the body when nothing but blanks follows it.
    std::vector<std::size_t> starts{begin}, ends;
    std::size_t last = line.find_last_not_of(" \t"); // a full stop here ends the body
    std::size_t depth = 0;
    bool quoted = false;
    for (std::size_t k = begin; k < line.size(); ++k) {
        char c = line[k];
        if (c == '"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == '(')
            ++depth;
        else if (c == ')' && depth > 0)
            --depth;
        else if (c == ',' && depth == 0) {
            ends.push_back(k);
            starts.push_back(k + 1);
        } else if (c == '.' && depth == 0 && k == last) {
            ends.push_back(k);
            break;
        }
    }
    if (ends.size() < starts.size())
        ends.push_back(line.size());

    Body body;
    for (std::size_t n = 0; n < starts.size(); ++n) {
        std::variant<Call, CallError> parsed = parseCall(line.substr(starts[n], ends[n] - starts[n]));
        if (const CallError* error = std::get_if<CallError>(&parsed))
            return BodyError{starts[n] + error->column - 1, n + 1, starts.size(), error->message, error->misfit,
                             starts[n], ends[n]};
        body.push_back(std::move(std::get<Call>(parsed)));
        body.back().at += starts[n];
    }
    return body;
}

void BodyContinuation::add(const std::string& text)
{
    for (char c : text) {
        if (c == '"')
            quoted_ = !quoted_;
        else if (quoted_ || isBlank(c))
            continue;
        else if (c == '(')
            ++depth_;
        else if (c == ')' && depth_ > 0)
            --depth_;
        last_ = c;
    }
}

bool bodyContinues(const std::string& text)
{
    BodyContinuation body;
    body.add(text);
    return body.continues();
}
