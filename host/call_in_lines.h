// A call or body that a rule author writes over several lines, as at other prompts, gathered
// line by line from a transcript or a terminal.
#ifndef HOST_CALL_IN_LINES_H
#define HOST_CALL_IN_LINES_H

#include "call_parser.h"

#include <cstddef>
#include <string>

// Whether a line holds no call: only blanks, or a % comment.
bool isBlankOrComment(const std::string& line);

// A line that stops inside the body (see BodyContinuation) goes on with the next. Blank and
// comment lines in between add nothing.
class CallInLines {
public:
    // Whether `line` (number `number`) is part of a call: the first line of one that holds text,
    // or any line while one goes on.
    bool add(const std::string& line, std::size_t number);
    bool pending() const { return first_ != 0; }
    bool complete() const { return first_ != 0 && !continuation_.continues(); }
    const std::string& text() const { return text_; }
    std::size_t firstLine() const { return first_; }
    void clear();

private:
    std::size_t first_ = 0;         // the line it started on; 0: none
    std::string text_;              // its lines so far, joined by a blank
    BodyContinuation continuation_; // of those lines, each read once
};

#endif
