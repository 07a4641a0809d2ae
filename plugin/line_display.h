// How a line of calls is shown back in transcripts and messages: on a terminal, in UTF-8.
#ifndef PLUGIN_LINE_DISPLAY_H
#define PLUGIN_LINE_DISPLAY_H

#include <cstddef>
#include <string>

// The line with each byte that a terminal would act on (a control character) or that is no part
// of a well-formed UTF-8 character written as \xHH, so a binary file shows as text.
std::string shownLine(const std::string& line);

// Columns that shownLine takes on a terminal: wide characters count two, combining marks none.
std::size_t shownWidth(const std::string& line);

// The 1-based number of the character that starts at byte `at`.
std::size_t characterNumber(const std::string& line, std::size_t at);

// A problem's place: the line as shownLine shows it and, under it, blanks and a caret under the
// character at byte `at` (after the last one when `at` is the end). A line wider than `width`
// columns is cut around the caret to at most that many, the "..." where it was cut included;
// tabs stay tabs so that the caret lines up as the line does.
struct Excerpt {
    std::string line;
    std::string caret;
};
Excerpt excerptAround(const std::string& line, std::size_t at, std::size_t width = 80);

// A text of the user's quoted in a message: as shownLine shows it, and when wider than `width`
// columns, its first `width` columns, "..." and its length, e.g. "aaa... (1000000 characters)".
std::string abridged(const std::string& text, std::size_t width = 80);

// A sign of a formula's operators or comparisons: + - * / % ^ = < >.
bool isOperatorSign(char c);

// `text` broken at blanks into lines of at most `width` columns (a longer word alone on its
// line), each after the first indented by `indent` blanks; 0 for no limit. Line ends in `text`
// are kept. With `wholeCode`, a quoted text and the words beside a lone operator sign (x ^ 2) are
// never broken apart, though the line then runs longer.
std::string wrapped(const std::string& text, std::size_t width, std::size_t indent = 0, bool wholeCode = false);

#endif
