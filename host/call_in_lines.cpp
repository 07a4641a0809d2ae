#include "call_in_lines.h"

bool isBlankOrComment(const std::string& line)
{
    std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos || line[first] == '%';
}

bool CallInLines::add(const std::string& line, std::size_t number)
{
    bool blank = isBlankOrComment(line);
    if (first_ == 0 && blank)
        return false;
    if (first_ == 0) {
        first_ = number;
        text_ = line;
    } else if (!blank) {
        text_ += ' ';
        text_ += line;
    }
    if (!blank)
        continuation_.add(line);
    return true;
}

void CallInLines::clear()
{
    first_ = 0;
    text_.clear();
    continuation_ = BodyContinuation();
}
