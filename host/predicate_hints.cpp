#include "predicate_hints.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <utility>

namespace {

// A name this far from a known one (letters inserted, removed or replaced) is taken for a typo.
const std::size_t TYPO_DISTANCE = 2;
const std::size_t MOST_NAMES = 3;

// Levenshtein distance, or more than `limit` once it must be: names whose lengths differ by
// more are not compared at all, so a name of a megabyte costs nothing.
std::size_t distance(const std::string& a, const std::string& b, std::size_t limit)
{
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > limit)
        return limit + 1;
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t k = 0; k < items.size(); ++k)
        text += (k == 0 ? "" : k + 1 == items.size() ? " and " : ", ") + items[k];
    return text;
}

std::string ordinal(std::size_t position)
{
    static const char* const words[] = {"first", "second", "third", "fourth", "fifth",
                                        "sixth", "seventh", "eighth", "ninth", "tenth"};
    return position < 10 ? words[position] : std::to_string(position + 1) + "th";
}

// The fewest arguments that, given, turn `pattern` into one of `patterns`: an o of `pattern`
// may become an i, never the other way. Empty when none of the same length can be reached.
std::vector<std::size_t> argumentsToGive(const std::string& pattern, const std::vector<std::string>& patterns)
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

std::string hintFor(const std::string& name, const std::string& pattern, const std::vector<std::string>& predicates)
{
    std::map<std::string, std::vector<std::string>> patterns; // of each name
    for (const std::string& symbol : predicates) {
        std::size_t split = symbol.rfind('_');
        patterns[symbol.substr(0, split)].push_back(symbol.substr(split + 1));
    }

    auto known = patterns.find(name);
    if (known != patterns.end()) {
        std::vector<std::string> symbols;
        for (const std::string& each : known->second)
            symbols.push_back(name + '_' + each);
        std::string hint = name + " has " + listed(symbols);
        std::vector<std::size_t> give = argumentsToGive(pattern, known->second);
        if (give.empty())
            return hint;
        std::vector<std::string> which;
        for (std::size_t k : give)
            which.push_back(ordinal(k));
        return hint + ": the " + listed(which) + (give.size() > 1 ? " arguments" : " argument") + " must be given";
    }

    std::vector<std::pair<std::size_t, std::string>> close; // distance, name
    for (const auto& each : patterns) {
        std::size_t d = distance(name, each.first, TYPO_DISTANCE);
        if (d <= TYPO_DISTANCE && d < name.size())
            close.emplace_back(d, each.first);
    }
    std::sort(close.begin(), close.end());
    close.resize(std::min(close.size(), MOST_NAMES));
    std::vector<std::string> names;
    for (const auto& each : close)
        names.push_back(each.second);
    if (names.empty())
        return "extpred-host --list lists every predicate";
    return (names.size() > 1 ? "the closest names are " : "the closest name is ") + listed(names);
}
