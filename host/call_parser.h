// A call as a rule author writes an atom, e.g. addR("1.5", "2.25", X).
#ifndef HOST_CALL_PARSER_H
#define HOST_CALL_PARSER_H

#include <cstddef>
#include <string>
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

    // The exported name of the predicate that answers this call: the name, '_', and 'o' for
    // each variable, 'i' for every other argument, e.g. addR_iio.
    std::string symbol() const;
};

struct CallError {
    std::size_t column; // 1-based character of the call where the problem was seen
    std::string message;
};

// Checks the call's shape (giving the first problem and where), then splits the argument list
// with the library's own parseStringTerm, as the engine would.
std::variant<Call, CallError> parseCall(const std::string& text);

#endif
