// A call as a rule author writes an atom, e.g. addR("1.5", "2.25", X).
#ifndef HOST_CALL_PARSER_H
#define HOST_CALL_PARSER_H

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_set>
#include <variant>
#include <vector>

struct Argument {
    enum Kind { Text, Integer, Variable, Name };
    Kind kind;
    std::string text; // as written, blanks trimmed; a Text keeps its double quotes
    int value = 0;    // of an Integer
};

struct Call {
    std::string name;
    std::vector<Argument> arguments;
    std::size_t at = 0; // byte offset of the name in the text parsed

    // The exported name of the predicate that answers this call: the name, '_', and 'o' for
    // each variable not among `bound`, 'i' for every other argument, e.g. addR_iio.
    std::string symbol(const std::unordered_set<std::string>& bound = {}) const;
};

// A number written without quotes that no slot takes as written (0.5, 2.0, 1e3): where it is,
// so that the slot's own kind can say what was meant.
struct Misfit {
    std::string name;     // of the call
    std::size_t argument; // 0-based
    std::string text;     // as written
};

struct CallError {
    std::size_t column; // 1-based byte of the text where the problem was seen
    std::string message;
    std::optional<Misfit> misfit = std::nullopt;
};

// Checks the call's shape (giving the first problem and where), then splits the argument list
// with the library's own parseStringTerm, as the engine would.
std::variant<Call, CallError> parseCall(const std::string& text);

// A rule body: calls separated by commas outside parentheses and quotes, optionally after
// "?-" and before a final ".", as a query is pasted from a transcript.
using Body = std::vector<Call>; // each call's `at` is its offset in the whole line

struct BodyError {
    std::size_t at;    // byte offset in the line where the problem was seen
    std::size_t call;  // 1-based call it is in
    std::size_t calls; // how many calls the line holds
    std::string message;
    std::optional<Misfit> misfit = std::nullopt;
    std::size_t begin = 0, end = 0; // the bytes of the line that the call is
};

std::variant<Body, BodyError> parseBody(const std::string& line);

// Whether the text typed so far stops inside a body, so that the next line goes on with it: its
// last character outside quotes (blanks aside) is a ',', or a '(' is still open. A quote left
// open never goes on: that is a problem of the line itself.
bool bodyContinues(const std::string& text);

// The same, for a body given a line at a time: each line is read once, so that a body of many
// lines costs what its text does.
class BodyContinuation {
public:
    void add(const std::string& text);
    bool continues() const { return !quoted_ && (depth_ > 0 || last_ == ','); }

private:
    std::size_t depth_ = 0; // brackets open outside quotes
    bool quoted_ = false;
    char last_ = '\0'; // outside quotes, blanks aside
};

#endif
