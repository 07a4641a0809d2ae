#include "missing_patterns.h"

namespace {

std::string ordinal(std::size_t position)
{
    static const char* const words[] = {"first", "second", "third", "fourth", "fifth",
                                        "sixth", "seventh", "eighth", "ninth", "tenth"};
    return position < 10 ? words[position] : std::to_string(position + 1) + "th";
}

// The positions to give, fewest first found; empty with `found` false when none is reachable.
std::vector<std::size_t> positionsToGive(const std::string& pattern, const std::vector<std::string>& patterns)
{
    std::vector<std::size_t> best;
    bool found = false;
    for (const std::string& other : patterns) {
        if (other.size() != pattern.size())
            continue;
        std::vector<std::size_t> give;
        bool reachable = true;
        for (std::size_t k = 0; k < pattern.size() && reachable; ++k) {
            reachable = !(pattern[k] == 'i' && other[k] == 'o');
            if (pattern[k] == 'o' && other[k] == 'i')
                give.push_back(k);
        }
        if (reachable && (!found || give.size() < best.size())) {
            best = std::move(give);
            found = true;
        }
    }
    return best;
}

} // namespace

std::string listed(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t k = 0; k < items.size(); ++k)
        text += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
    return text;
}

std::string patternsOffered(const std::string& name, const std::vector<std::string>& patterns)
{
    std::vector<std::string> symbols;
    for (const std::string& pattern : patterns)
        symbols.push_back(name + '_' + pattern);
    return name + " has " + listed(symbols);
}

std::string argumentsToGive(const std::string& pattern, const std::vector<std::string>& patterns)
{
    std::vector<std::string> which;
    for (std::size_t k : positionsToGive(pattern, patterns))
        which.push_back(ordinal(k));
    if (which.empty())
        return "";
    return "the " + listed(which) + (which.size() > 1 ? " arguments" : " argument") + " must be given";
}
