#include "commands.h"

#include "exported_predicates.h"
#include "line_display.h"
#include "output.h"
#include "predicate_reference.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Broken to the reader's width when shown: each paragraph is one line here.
const char* const GUIDE =
    "A call is written as the engine writes an atom: sqrt(\"2\", X) asks for X. A \"quoted\" text is a real "
    "(a String), 42 an Integer, a name starting with a capital letter or _ a variable (an output), any other "
    "name a Symbol. Calls separated by commas are a rule body, answered left to right; a final . is allowed. "
    "A line that ends with a comma or with a bracket still open goes on on the next line (at a terminal and "
    "in a -f file).\n"
    "A whole formula is one call of evalR: evalR(\"sqrt(x^2 + y^2)\", \"3\", \"4\", D) computes it in double "
    "precision and rounds once; help evalR shows its operators and functions.\n"
    "Commands: help NAME (the predicates of that name: slots, guard, an example); apropos WORDS (those whose "
    "name or description holds the words); list (every predicate); help (this text); halt, quit or exit (the "
    "end, as Ctrl-D). At a terminal Tab completes a name.\n";
const char* const ONE_LINE_GUIDE = "help NAME, apropos WORDS and list answer here in one line (help evalR: formulas); extpred-host --help says the rest\n";

// Each command: the words it takes, and what help says of it.
struct CommandForm {
    const char* name;
    Command::Kind kind;
    std::size_t fewest, most; // words after it
    const char* takes;        // for a line that gives it more or fewer
    const char* example;
    const char* help;
};

const char* const HALT_HELP = "halt, quit or exit: the end of the session, as Ctrl-D on an empty line.";

const CommandForm COMMANDS[] = {
    {"help", Command::Help, 0, 1, "one name or none", "help sqrt",
     "help: this guide. help NAME: the predicates of that name, as help sqrt, or of that pattern, as help sqrt_io; "
     "help evalR also shows the language of formulas. help COMMAND: what the command does."},
    {"apropos", Command::Apropos, 1, 8, "a word or a few", "apropos square root",
     "apropos WORDS: the predicates that each of the words names or describes, in any of its forms or as an "
     "operator's sign, those whose name holds a word first, as apropos logarithm, apropos log base 2 or apropos %."},
    {"list", Command::List, 0, 0, "nothing more", "list",
     "list: every predicate of the plug-in, name_pattern, in columns at a terminal (as --list)."},
    {"halt", Command::Halt, 0, 0, "nothing more", "halt", HALT_HELP},
    {"quit", Command::Halt, 0, 0, "nothing more", "quit", HALT_HELP},
    {"exit", Command::Halt, 0, 0, "nothing more", "exit", HALT_HELP},
};

const CommandForm* formOf(const std::string& word)
{
    for (const CommandForm& form : COMMANDS)
        if (word == form.name)
            return &form;
    return nullptr;
}

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

// The plug-in's predicates, or none when its file cannot be listed.
std::vector<std::string> predicatesOf(const PredicateLibrary& library)
{
    try {
        return library.predicates();
    } catch (const LoadError&) {
        return {};
    }
}

// The items down columns as ls sets them, as many columns as `width` holds, two blanks apart.
std::string inColumns(const std::vector<std::string>& items, std::size_t width)
{
    if (items.empty())
        return "";
    std::size_t widest = 0;
    for (const std::string& item : items)
        widest = std::max(widest, item.size());
    std::size_t columns = std::max<std::size_t>(1, (width + 2) / (widest + 2));
    std::size_t rows = (items.size() + columns - 1) / columns;
    std::string text;
    for (std::size_t row = 0; row < rows; ++row) {
        std::string line;
        for (std::size_t at = row; at < items.size(); at += rows)
            line += (line.empty() ? "" : "  ") + items[at] + std::string(widest - items[at].size(), ' ');
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

std::string joined(const std::vector<std::string>& items, bool oneLine)
{
    std::string text;
    for (const std::string& item : items)
        text += (oneLine && !text.empty() ? " " : "") + item + (oneLine ? "" : "\n");
    return oneLine ? text + "\n" : text;
}

// A word as apropos compares it: lower case, without the endings of plurals and of a verb's
// forms, so that roots finds root, rounding round and truncate truncated.
std::string stem(const std::string& word)
{
    std::string stemmed = lowered(word);
    auto drop = [&](const std::string& ending) {
        bool ends = stemmed.size() >= ending.size() + 3 &&
                    stemmed.compare(stemmed.size() - ending.size(), ending.size(), ending) == 0;
        if (ends)
            stemmed.erase(stemmed.size() - ending.size());
        return ends;
    };
    if (stemmed.size() < 2 || stemmed[stemmed.size() - 2] != 's')
        drop("s");
    if (!drop("ing"))
        drop("ed");
    drop("e");
    return stemmed;
}

// The words of a description, stemmed, and each operator sign in it on its own: "base-2" is
// base, - and 2.
std::vector<std::string> wordsOf(const std::string& text)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        while (end < text.size() && (isWordCharacter(text[end]) || static_cast<unsigned char>(text[end]) >= 0x80))
            ++end;
        if (end > at)
            words.push_back(stem(text.substr(at, end - at)));
        else if (isOperatorSign(text[at]))
            words.emplace_back(1, text[at]);
        at = std::max(end, at + 1);
    }
    return words;
}

// Words that join the others in a question (log of base 2, greater or equal) and name nothing.
bool isJoiningWord(const std::string& word)
{
    static const char* const joining[] = {"a", "an", "and", "by", "for", "in", "of", "or", "the", "to", "with"};
    return std::any_of(std::begin(joining), std::end(joining), [&](const char* each) { return word == each; });
}

// How strongly a predicate is about `wanted` (stemmed): most when its name holds it, less when it
// is among its search words, least in what it is; 0 when nowhere.
int weightOf(const std::string& wanted, const std::string& name, const std::vector<std::string>& searchWords,
             const std::vector<std::string>& description)
{
    auto among = [&](const std::vector<std::string>& words) {
        return std::any_of(words.begin(), words.end(), [&](const std::string& w) { return w.rfind(wanted, 0) == 0; });
    };
    return (lowered(name).find(wanted) != std::string::npos ? 8 : 0) + (among(searchWords) ? 2 : 0) +
           (among(description) ? 1 : 0);
}

// The names about every one of `words`, those they name first, each with what it is; of a
// plug-in the README does not describe, the names that hold the words.
std::vector<std::pair<std::string, std::string>> namesAbout(const std::string& words, const PredicateLibrary& library)
{
    std::vector<std::string> wanted;
    for (const std::string& word : wordsOf(words))
        if (!isJoiningWord(word))
            wanted.push_back(word);
    if (wanted.empty())
        wanted = wordsOf(words);
    std::vector<std::string> symbols = predicatesOf(library);
    std::vector<std::pair<std::string, std::string>> found;
    if (rowsOf(library).empty()) {
        for (const std::string& symbol : symbols) {
            std::string name = predicateName(symbol);
            bool named = std::all_of(wanted.begin(), wanted.end(),
                                     [&](const std::string& w) { return weightOf(w, name, {}, {}) > 0; });
            if (named && (found.empty() || found.back().first != name))
                found.emplace_back(name, "");
        }
        return found;
    }
    auto has = [&](const std::string& name) {
        return std::any_of(symbols.begin(), symbols.end(), [&](const std::string& symbol) { return predicateName(symbol) == name; });
    };
    std::vector<std::pair<int, std::size_t>> ranked; // weight, row
    for (std::size_t k = 0; k < PREDICATE_NAME_COUNT; ++k) {
        const PredicateName& each = PREDICATE_NAMES[k];
        if (!has(each.name)) // an older build of the plug-in
            continue;
        const std::vector<std::string> searchWords = wordsOf(each.words), description = wordsOf(each.is);
        int weight = 0;
        for (const std::string& word : wanted) {
            int w = weightOf(word, each.name, searchWords, description);
            weight = w == 0 ? -1 : weight + w;
            if (weight < 0)
                break;
        }
        if (weight > 0)
            ranked.emplace_back(-weight, k);
    }
    std::stable_sort(ranked.begin(), ranked.end());
    for (const auto& [weight, k] : ranked)
        found.emplace_back(PREDICATE_NAMES[k].name, PREDICATE_NAMES[k].is);
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
        else // its later lines under the description's first
            items.push_back(wrapped(name + std::string(column - name.size(), ' ') + description, width, column));
    }
    return joined(items, oneLine);
}

// An example under what it shows: indented by four, its own later lines by eight, so that they
// stand apart from the next example.
std::string exampleLines(const std::string& example, std::size_t width)
{
    std::string text = wrapped(example, width > 8 ? width - 4 : width, 4);
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 5)
        text.insert(at + 1, "    ");
    return "    " + text;
}

// What a formula may hold, under the patterns of evalR: the operators, the names, every
// function with its arguments, and two examples.
std::string formulaLanguage(bool oneLine, std::size_t width)
{
    const std::string syntax =
        "A formula: operators from loosest to tightest + and -; *, / and % (the remainder); a sign - or +; ^ (the "
        "power, grouped from the right: 2^3^2 is 512). Parentheses group. Names: x, y, z and w, the operands in "
        "their order, and pi. Numbers as 1.5, .5 or 1e-3.";
    const std::string examples[] = {"evalR(\"sqrt(x^2 + y^2)\", \"3\", \"4\", D) → D = \"5.00000000\"",
                                    "evalR(\"x * (1 + y/100)^10\", \"1000\", \"5\", R) → R = \"1628.89462678\""};
    if (oneLine) {
        std::string text = syntax + " Functions:";
        for (std::size_t k = 0; k < FUNCTION_ROW_COUNT; ++k)
            text += std::string(k == 0 ? " " : ", ") + FUNCTION_ROWS[k].name + "(" + FUNCTION_ROWS[k].arguments + ")";
        return text + ". Examples: " + examples[0] + "; " + examples[1];
    }
    std::string text = wrapped(syntax, width) + "\nFunctions:\n";
    std::size_t column = 0;
    for (std::size_t k = 0; k < FUNCTION_ROW_COUNT; ++k)
        column = std::max(column, std::strlen(FUNCTION_ROWS[k].name) + std::strlen(FUNCTION_ROWS[k].arguments) + 4);
    for (std::size_t k = 0; k < FUNCTION_ROW_COUNT; ++k) {
        std::string call = std::string(FUNCTION_ROWS[k].name) + "(" + FUNCTION_ROWS[k].arguments + ")";
        std::string line = call + std::string(column - call.size(), ' ') + FUNCTION_ROWS[k].is;
        text += (width > column + 10 ? wrapped(line, width, column) : line) + "\n";
    }
    text += "Examples:\n";
    for (const std::string& example : examples)
        text += exampleLines(example, width) + "\n";
    return text.substr(0, text.size() - 1); // joined() ends the item
}

// The predicates of `name`, or the one that `name` is with its pattern (as list shows it): with
// slots, guard and example where the README's table describes the plug-in, else their
// patterns; apropos when the plug-in has no such name.
std::string helpOn(const std::string& name, const PredicateLibrary& library, bool oneLine, std::size_t width)
{
    std::vector<std::string> items;
    std::vector<const PredicateRow*> rows = rowsOf(library);
    for (const PredicateRow* row : rows) {
        if (predicateName(row->symbol) != name && row->symbol != name)
            continue;
        std::string line = std::string(row->symbol) + "(" + row->slots + "): " + row->does;
        if (*row->failsWhen != '\0')
            line += "; fails when " + std::string(row->failsWhen);
        if (oneLine) {
            items.push_back(line + ";");
            continue;
        }
        items.push_back(wrapped(line, width, 4) + "\n" + exampleLines(row->example, width));
    }
    if (rows.empty())
        for (const std::string& symbol : predicatesOf(library))
            if (predicateName(symbol) == name || symbol == name)
                items.push_back(symbol);
    if (items.empty() && name.find('_') != std::string::npos && name != predicateName(name)) {
        // A pattern the name does not have (sqrt_oi): the ones it has.
        std::string patterns = helpOn(predicateName(name), library, oneLine, width);
        if (patterns.rfind(predicateName(name) + "_", 0) == 0)
            return "no predicate " + abridged(name) + "; " + (oneLine ? "" : predicateName(name) + " has:\n") + patterns;
    }
    if (items.empty()) {
        if (const CommandForm* form = formOf(name))
            return (oneLine ? std::string(form->help) : wrapped(form->help, width)) + "\n";
        return apropos(name, library, oneLine, width);
    }
    bool formulas = !rows.empty() && name.rfind("evalR", 0) == 0; // and their language after them
    if (oneLine && !rows.empty() && !formulas)
        items.back().pop_back(); // the last ;
    if (formulas)
        items.push_back(formulaLanguage(oneLine, width));
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

    // The first word, then what follows it: nothing, words after blanks, or a word in brackets.
    std::size_t split = 0;
    while (split < text.size() && isWordCharacter(text[split]))
        ++split;
    std::string first = text.substr(0, split), rest = text.substr(split);
    const CommandForm* form = formOf(first);
    if (form == nullptr)
        return {};
    std::vector<std::string> words;
    std::size_t bracket = rest.find_first_not_of(" \t");
    if (bracket != std::string::npos && rest[bracket] == '(') {
        rest.erase(0, bracket);
        // help(sqrt) as a Prolog toplevel takes it; anything else in brackets is a call.
        std::string inside = rest.back() == ')' ? rest.substr(1, rest.size() - 2) : "";
        std::size_t from = inside.find_first_not_of(" \t"), to = inside.find_last_not_of(" \t");
        if (from == std::string::npos)
            return {};
        inside = inside.substr(from, to + 1 - from);
        if (!std::all_of(inside.begin(), inside.end(), isWordCharacter))
            return {};
        words.push_back(inside);
        if (words.size() < form->fewest || words.size() > form->most)
            return {}; // list(x) is written as a call, and answered as one
    } else if (!rest.empty() && rest.front() != ' ' && rest.front() != '\t') {
        return {}; // helpful, list_io...: a name that only starts as a command does
    } else {
        for (std::size_t at = 0; (at = rest.find_first_not_of(" \t", at)) != std::string::npos;) {
            std::size_t stop = rest.find_first_of(" \t", at);
            words.push_back(rest.substr(at, stop - at));
            at = stop;
        }
    }
    // apropos also finds an operator by its sign: apropos %.
    auto plainCharacter = [form](char c) { return isWordCharacter(c) || (form->kind == Command::Apropos && isOperatorSign(c)); };
    bool plain = std::all_of(words.begin(), words.end(),
                             [&](const std::string& w) { return std::all_of(w.begin(), w.end(), plainCharacter); });
    if (words.size() < form->fewest || words.size() > form->most || !plain)
        return {Command::Usage, std::string(form->name) + " takes " + form->takes + ": " + form->example};
    std::string joinedWords;
    for (const std::string& word : words)
        joinedWords += (joinedWords.empty() ? "" : " ") + word;
    return {form->kind, joinedWords};
}

std::string commandAnswer(const Command& command, const PredicateLibrary& library, bool oneLine, std::size_t width)
{
    if (width == 0 && command.kind != Command::List)
        width = 80; // a file of answers is read as a page is
    switch (command.kind) {
    case Command::Help:
        if (command.word.empty())
            return oneLine ? ONE_LINE_GUIDE : wrapped(GUIDE, width);
        return helpOn(command.word, library, oneLine, width);
    case Command::Apropos:
        return apropos(command.word, library, oneLine, width);
    case Command::List:
        return oneLine || width == 0 ? joined(predicatesOf(library), oneLine) : inColumns(predicatesOf(library), width);
    case Command::Usage:
        return oneLine ? command.word + "\n" : wrapped(command.word, width) + "\n";
    default:
        return "";
    }
}

std::vector<std::string> commandWords(const PredicateLibrary& library)
{
    std::vector<std::string> words{"apropos", "exit", "halt", "help", "list", "quit"};
    for (const std::string& symbol : predicatesOf(library))
        words.push_back(predicateName(symbol));
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
