#include "commands.h"

#include "line_display.h"
#include "output.h"

const char* const GUIDE = R"(A call is written as the engine writes an atom: sqrt("2", X) asks for X. A "quoted" text
is a real (a String), 42 an Integer, a name starting with a capital letter or _ a variable
(an output), any other name a Symbol. Calls separated by commas are a rule body, answered
left to right; a final . is allowed. A line that ends with a comma or with a bracket still
open goes on on the next line (at a terminal and in a -f file).
Commands: help (this text); halt, quit or exit (the end, as Ctrl-D).
extpred-host --list lists the predicates of the plug-in; extpred-host --help says the rest.
)";

Command commandOf(const std::string& line)
{
    std::size_t begin = line.find_first_not_of(" \t");
    std::size_t end = line.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return Command::None;
    std::string word = line.substr(begin, end + 1 - begin);
    if (word.size() > 1 && word.back() == '.')
        word.pop_back();
    word.erase(word.find_last_not_of(" \t") + 1);
    if (word == "help")
        return Command::Help;
    if (word == "halt" || word == "quit" || word == "exit")
        return Command::Halt;
    return Command::None;
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
