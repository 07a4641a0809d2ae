// The words that other prompts (a Prolog toplevel, an SQL shell) have taught a rule author to
// type, which the host takes as they are meant rather than as malformed calls.
#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "predicate_library.h"

#include <cstddef>
#include <string>
#include <vector>

struct Command {
    enum Kind {
        None,    // a call, or a problem
        Help,    // help: the short guide; help NAME: that name's predicates
        Apropos, // apropos WORD: the predicates whose name or description holds the word
        List,    // list: every predicate, as --list
        Halt,    // halt, quit, exit: the end of the session, as the end of input is
        Usage,   // a command with more (or less) than it takes: `word` says its form
    };
    Kind kind = None;
    std::string word; // of help NAME and apropos WORDS; of Usage, the line that says the form
};

// The command that `line` is: a word alone, or help and apropos with a name, as `help sqrt` or
// `help(sqrt)`, apropos with a few words (`apropos square root`); blanks and a final full stop
// aside. A command word followed by a blank is a command whatever follows: what it does not
// take gets its form, not the message of a malformed call.
Command commandOf(const std::string& line);

// What a command (but halt) answers, ending with a line end: lines of at most `width` columns
// for a person (list in columns, as ls; width 0: no terminal, 80 columns, and list a name a
// line), or a single line for a program that reads one line for each line it writes.
std::string commandAnswer(const Command& command, const PredicateLibrary& library, bool oneLine,
                          std::size_t width = 80);

// What Tab completes: the commands and the plug-in's predicate names.
std::vector<std::string> commandWords(const PredicateLibrary& library);

// --list: the predicates of the plug-in, one name_pattern a line; the exit status.
int listPredicates(const PredicateLibrary& library);

#endif
