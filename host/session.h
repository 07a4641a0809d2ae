// Answering calls against one plug-in, whichever way they come: each answer, or its problem on
// standard error named by where the call was written.
#ifndef HOST_SESSION_H
#define HOST_SESSION_H

#include "call_in_lines.h"
#include "predicate_library.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

// The line as the parser takes it: without its end and trailing blanks, and, on the first
// line, without a byte-order mark that an editor put there (line 0: an argument, which has none).
std::string cleaned(std::string line, std::size_t number);

class Session {
public:
    explicit Session(const PredicateLibrary& library) : library_(library) {}

    // The answer, or nothing after the problem went to standard error, named by the line it is
    // on: "line 2" after `source`, e.g. "standard input line 2".
    std::optional<std::string> answer(const CallInLines& call, const std::string& source);

    // The same for a call typed at the prompt, its lines numbered from 1: a problem is named by
    // its place in the call (line 2 of the call, character 5), which is all that the person who
    // typed it can see, and messages go without the program's name.
    // An answer wider than `width` columns (0: no limit) is broken between its bindings.
    std::optional<std::string> answerTyped(const CallInLines& call, std::size_t width = 0);

    // The same for a call given whole, named `name` (e.g. "standard input line 2", or "call 2" of
    // the command line), the calls of its body by `part` ("line 2, call 3"; "call 2, goal 3").
    std::optional<std::string> answer(const std::string& call, const std::string& name, const char* part = "call");

    // Whether every call so far was answered (true or false).
    int status() const;

    const PredicateLibrary& library() const { return library_; }

private:
    // Where a byte of the text answered was written: its line's name, that line, the byte in it.
    struct Spot {
        std::string name;
        std::string line;
        std::size_t at;
    };

    // How messages are said: whether why a call answered false is named by where the call is,
    // whether each message starts with the program's name, and what a call of a body is called.
    struct Voice {
        bool placeHints = true;
        bool named = true;
        const char* part = "call";
        std::size_t width = 0; // of the lines of an answer; 0: one line
    };

    std::optional<std::string> answerText(const std::string& text, const std::function<Spot(std::size_t)>& spotOf,
                                          Voice voice);
    void report(const std::string& message, const std::string& line, std::optional<std::size_t> at, Voice voice);

    const PredicateLibrary& library_;
    bool failed_ = false;
};

#endif
