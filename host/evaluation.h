// Answering a rule body: call its predicates left to right, each variable an output of the first
// call that names it and an input of every later one, and read what they wrote.
#ifndef HOST_EVALUATION_H
#define HOST_EVALUATION_H

#include "call_parser.h"
#include "predicate_library.h"

#include <string>
#include <utility>
#include <vector>

struct Outcome {
    bool answered;        // false: `text` says what went wrong
    std::string text;     // true, false, or the bindings such as X = "3.75000000"
    std::size_t call = 0; // the 1-based call that went wrong, or that answered false
    std::string why = ""; // of a false answer, when the host can tell (a line, and the place it means)
    std::vector<std::size_t> bindings = {}; // where in `text` each binding after the first starts
    // Of the calls that ran, each 1-based with a line about a quoted real read only in part.
    std::vector<std::pair<std::size_t, std::string>> notes = {};
};

// At the prompt, a hint that has nothing closer than the whole list names its command.
Outcome evaluate(const Body& body, const PredicateLibrary& library, bool atPrompt = false);

#endif
