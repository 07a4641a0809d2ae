#include "commands.h"

#include "line_display.h"
#include "output.h"
#include "predicate_reference.h"

#include <algorithm>
#include <vector>

namespace {

// Broken to the reader's width when shown: each paragraph is one line here.
const char* const GUIDE =
    "A call is written as the engine writes an atom: sqrt(\"2\", X) asks for X. A \"quoted\" text is a real "
    "(a String), 42 an Integer, a name starting with a capital letter or _ a variable (an output), any other "
    "name a Symbol. Calls separated by commas are a rule body, answered left to right; a final . is allowed. "
    "A line that ends with a comma or with a bracket still open goes on on the next line (at a terminal and "
    "in a -f file).\n"
    "Commands: help NAME (the predicates of that name: slots, guard, an example); apropos WORD (those whose "
    "name or description holds the word); list (every predicate); help (this text); halt, quit or exit (the "
    "end, as Ctrl-D). At a terminal Tab completes a name.\n";
const char* const ONE_LINE_GUIDE = "help NAME, apropos WORD and list answer here in one line; extpred-host --help says the rest\n";

bool isWordCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::string nameOf(const std::string& symbol) { return symbol.substr(0, symbol.rfind('_')); }

// The plug-in's predicates, or none when its file cannot be listed.
std::vector<std::string> predicatesOf(const PredicateLibrary& library)
{
    try {
        return library.predicates();
    } catch (const LoadError&) {
        return {};
    }
}

std::string joined(const std::vector<std::string>& items, bool oneLine)
{
    std::string text;
    for (const std::string& item : items)
        text += (oneLine && !text.empty() ? " " : "") + item + (oneLine ? "" : "\n");
    return oneLine ? text + "\n" : text;
}

// The names, each once in the order first met, whose predicates' name or description holds
// `word`; each with the description of its first pattern.
std::vector<std::pair<std::string, std::string>> namesAbout(const std::string& word, const PredicateLibrary& library)
{
    std::string wanted = lowered(word);
    std::vector<std::pair<std::string, std::string>> found;
    auto add = [&](const std::string& name, const std::string& description) {
        if (std::none_of(found.begin(), found.end(), [&](const auto& each) { return each.first == name; }))
            found.emplace_back(name, description);
    };
    std::vector<const PredicateRow*> rows = rowsOf(library);
    if (rows.empty()) {
        for (const std::string& symbol : predicatesOf(library))
            if (lowered(nameOf(symbol)).find(wanted) != std::string::npos)
                add(nameOf(symbol), "");
        return found;
    }
    for (const PredicateRow* row : rows) {
        std::string name = nameOf(row->symbol);
        std::string text = name + " " + row->slots + " " + row->failsWhen + " " + row->does;
        for (std::size_t k = 0; k < PREDICATE_NOTE_COUNT; ++k)
            if (name == PREDICATE_NOTES[k].name)
                text += std::string(" ") + PREDICATE_NOTES[k].text;
        if (lowered(text).find(wanted) != std::string::npos)
            add(name, row->does);
    }
    return found;
}

std::string apropos(const std::string& word, const PredicateLibrary& library, bool oneLine, std::size_t width)
{
    auto found = namesAbout(word, library);
    if (found.empty())
        return oneLine ? "\n" : "no predicate is named or described by " + abridged(word) + "; list shows them all\n";
    std::vector<std::string> items;
    std::size_t column = 0;
    for (const auto& each : found)
        column = std::max(column, each.first.size() + 2);
    for (const auto& [name, description] : found) {
        if (oneLine || description.empty() || width <= column + 10)
            items.push_back(name);
        else // cut to the line, with the ... that says so
            items.push_back(name + std::string(column - name.size(), ' ') +
                            excerptAround(description, 0, width - column).line);
    }
    return joined(items, oneLine);
}

// The predicates of `name`, or the one that `name` is with its pattern (as list shows it): with
// slots, guard and example where the README's table describes the plug-in, else their
// patterns; apropos when the plug-in has no such name.
std::string helpOn(const std::string& name, const PredicateLibrary& library, bool oneLine, std::size_t width)
{
    std::vector<std::string> items;
    std::vector<const PredicateRow*> rows = rowsOf(library);
    for (const PredicateRow* row : rows) {
        if (nameOf(row->symbol) != name && row->symbol != name)
            continue;
        std::string line = std::string(row->symbol) + "(" + row->slots + "): " + row->does;
        if (*row->failsWhen != '\0')
            line += "; fails when " + std::string(row->failsWhen);
        if (oneLine) {
            items.push_back(line + ";");
            continue;
        }
        // The example under it, indented by four, its own later lines by eight.
        std::string example = wrapped(row->example, width > 8 ? width - 4 : width, 4);
        for (std::size_t at = 0; (at = example.find('\n', at)) != std::string::npos; at += 5)
            example.insert(at + 1, "    ");
        items.push_back(wrapped(line, width, 4) + "\n    " + example);
    }
    if (rows.empty())
        for (const std::string& symbol : predicatesOf(library))
            if (nameOf(symbol) == name || symbol == name)
                items.push_back(symbol);
    if (items.empty())
        return apropos(name, library, oneLine, width);
    if (oneLine && !rows.empty())
        items.back().pop_back(); // the last ;
    return joined(items, oneLine);
}

} // namespace

Command commandOf(const std::string& line)
{
    std::size_t begin = line.find_first_not_of(" \t");
    std::size_t end = line.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    std::string text = line.substr(begin, end + 1 - begin);
    if (text.size() > 1 && text.back() == '.')
        text.pop_back();
    text.erase(text.find_last_not_of(" \t") + 1);

    // The first word, then what follows it: nothing, a word after blanks, or a word in brackets.
    std::size_t split = 0;
    while (split < text.size() && isWordCharacter(text[split]))
        ++split;
    std::string first = text.substr(0, split), rest = text.substr(split), word;
    if (!rest.empty()) {
        bool bracketed = rest.front() == '(' && rest.back() == ')';
        if (bracketed)
            rest = rest.substr(1, rest.size() - 2);
        std::size_t from = rest.find_first_not_of(" \t"), to = rest.find_last_not_of(" \t");
        if (from == std::string::npos || (!bracketed && from == 0))
            return {};
        word = rest.substr(from, to + 1 - from);
        if (!std::all_of(word.begin(), word.end(), isWordCharacter))
            return {};
    }
    if (first == "help")
        return {Command::Help, word};
    if (first == "apropos")
        return {word.empty() ? Command::Help : Command::Apropos, word};
    if (word.empty() && first == "list")
        return {Command::List, ""};
    if (word.empty() && (first == "halt" || first == "quit" || first == "exit"))
        return {Command::Halt, ""};
    return {};
}

std::string commandAnswer(const Command& command, const PredicateLibrary& library, bool oneLine, std::size_t width)
{
    switch (command.kind) {
    case Command::Help:
        if (command.word.empty())
            return oneLine ? ONE_LINE_GUIDE : wrapped(GUIDE, width);
        return helpOn(command.word, library, oneLine, width);
    case Command::Apropos:
        return apropos(command.word, library, oneLine, width);
    case Command::List:
        return joined(predicatesOf(library), oneLine);
    default:
        return "";
    }
}

std::vector<std::string> commandWords(const PredicateLibrary& library)
{
    std::vector<std::string> words{"apropos", "exit", "halt", "help", "list", "quit"};
    for (const std::string& symbol : predicatesOf(library))
        words.push_back(nameOf(symbol));
    return words;
}

int listPredicates(const PredicateLibrary& library)
{
    std::string list;
    try {
        for (const std::string& predicate : library.predicates())
            list += predicate + "\n";
    } catch (const LoadError& error) {
        tell(abridged(error.what(), 400));
        return UNUSABLE;
    }
    return put(list) ? ALL_ANSWERED : writeFailed();
}
