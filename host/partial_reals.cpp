#include "partial_reals.h"

#include "line_display.h"
#include "predicate_reference.h"

#include <charconv>
#include <cstdlib>

namespace {

// Where atof stops reading `text`: its end when it reads all of it, blanks after it aside.
std::size_t readUpTo(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    std::strtod(begin, &end);
    std::size_t at = static_cast<std::size_t>(end - begin);
    return text.find_first_not_of(" \t", at) == std::string::npos ? text.size() : at;
}

// Whether atof reads all of the quoted `written` ("1.5"), blanks after it aside, and something:
// the closing quote stops it. Asked of every quoted argument of every call, so without a copy.
bool readWhole(const std::string& written)
{
    const char* begin = written.c_str() + 1;
    const char* close = written.c_str() + written.size() - 1;
    char* end = nullptr;
    std::strtod(begin, &end);
    if (end == begin)
        return false;
    for (; end < close; ++end)
        if (*end != ' ' && *end != '\t')
            return false;
    return true;
}

// The value as atof reads it, in the shortest text that reads back as the same double.
std::string valueRead(const std::string& text)
{
    char shortest[32];
    auto result = std::to_chars(shortest, shortest + sizeof shortest, std::atof(text.c_str()));
    return std::string(shortest, result.ptr);
}

bool isDigitAt(const std::string& text, std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; }

// A comma or blank between groups of three digits: 1,000 and 1 000 000.
bool separatesThousands(const std::string& text, std::size_t at, std::size_t length)
{
    std::size_t after = at + length;
    bool three = isDigitAt(text, after) && isDigitAt(text, after + 1) && isDigitAt(text, after + 2);
    return at > 0 && isDigitAt(text, at - 1) && three && !isDigitAt(text, after + 3);
}

// Why atof stops at byte `at` of `text`, and the text that it would read whole, if there is one.
struct Reason {
    std::string why;
    std::string instead;
};

Reason reasonAt(const std::string& text, std::size_t at)
{
    auto replaced = [&](std::size_t length, const std::string& by) {
        std::string fixed = text;
        for (std::size_t k = fixed.find(text.substr(at, length)); k != std::string::npos; k = fixed.find(text.substr(at, length), k + by.size()))
            fixed.replace(k, length, by);
        return fixed;
    };
    if (text.find_first_not_of(" \t") == std::string::npos)
        return {"it is empty", ""};
    static const char* const minuses[] = {"\u2212", "\u2013", "\u2014"};
    for (const char* minus : minuses)
        if (text.compare(at, std::string(minus).size(), minus) == 0)
            return {std::string(minus) + " is no minus sign here", replaced(std::string(minus).size(), "-")};
    static const char* const separators[] = {",", " ", "'", "_", "\u00A0", "\u202F"};
    for (const char* separator : separators) {
        std::size_t length = std::string(separator).size();
        if (text.compare(at, length, separator) == 0 && separatesThousands(text, at, length))
            return {"a real has no thousands separators", replaced(length, "")};
    }
    if (text[at] == ',' && isDigitAt(text, at + 1))
        return {"a real's decimals follow a point", replaced(1, ".")};
    if (at == 0)
        return {"it starts with no number", ""};
    return {"what follows " + abridged(text.substr(0, at), 40) + " is no part of a number", ""};
}

} // namespace

std::vector<std::string> partialReadings(const Call& call, const std::string& symbol, const PredicateLibrary& library)
{
    std::vector<std::string> notes;
    std::vector<const PredicateRow*> rows; // looked up only for a text that needs them
    for (std::size_t k = 0; k < call.arguments.size(); ++k) {
        const Argument& argument = call.arguments[k];
        if (argument.kind != Argument::Text || readWhole(argument.text))
            continue;
        const std::string text = argument.text.substr(1, argument.text.size() - 2);
        std::size_t at = readUpTo(text);
        if (rows.empty())
            rows = rowsOf(library);
        const PredicateRow* row = rowFor(rows, symbol);
        if (row == nullptr || k >= std::string(row->kinds).size())
            return notes;
        SlotKind kind = slotKind(*row, k);
        if (kind != SlotKind::Real && kind != SlotKind::RealOrInteger)
            continue;
        Reason reason = reasonAt(text, at);
        bool fixed = !reason.instead.empty() && readUpTo(reason.instead) == reason.instead.size();
        notes.push_back(abridged(argument.text, 40) + " is read as " + valueRead(text) + ": " + reason.why +
                        (fixed ? "; write \"" + abridged(reason.instead, 40) + "\"" : ""));
    }
    return notes;
}
