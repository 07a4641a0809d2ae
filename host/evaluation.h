// Answering one call: build the argument vector, call the predicate, read what it wrote.
#ifndef HOST_EVALUATION_H
#define HOST_EVALUATION_H

#include "call_parser.h"
#include "predicate_library.h"

#include <string>

struct Outcome {
    bool answered; // false: `text` says what went wrong
    std::string text; // true, false, or the bindings such as X = "3.75000000"
};

Outcome evaluate(const Call& call, const PredicateLibrary& library);

#endif
