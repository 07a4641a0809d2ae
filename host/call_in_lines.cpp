#include "call_in_lines.h"

#include <algorithm>

bool isBlankOrComment(const std::string& line)
{
    std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '%';
}

bool CallInLines::add(const std::string& line, std::size_t number)
{
    if (isBlankOrComment(line))
        return pending();
    if (pending())
        text_ += ' ';
    lines_.push_back({text_.size(), number});
    text_ += line;
    continuation_.add(line);
    return true;
}

CallInLines::Place CallInLines::placeOf(std::size_t at) const
{
    // The last line that starts at or before `at`.
    auto line = std::upper_bound(lines_.begin(), lines_.end(), at,
                                 [](std::size_t offset, const Line& l) { return offset < l.start; });
    line = line == lines_.begin() ? line : line - 1;
    std::size_t end = line + 1 == lines_.end() ? text_.size() : (line + 1)->start - 1;
    return {line->number, text_.substr(line->start, end - line->start), std::min(at, end) - line->start};
}

void CallInLines::clear()
{
    lines_.clear();
    text_.clear();
    continuation_ = BodyContinuation();
}
