// The words that other prompts (a Prolog toplevel, an SQL shell) have taught a rule author to
// type, which the host takes as they are meant rather than as malformed calls.
#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

#include "predicate_library.h"

#include <string>

enum class Command {
    None, // a call, or a problem
    Help, // help: the short guide below
    Halt, // halt, quit, exit: the end of the session, as the end of input is
};

// The command that `line` is: one of the words alone, blanks and a final full stop aside.
Command commandOf(const std::string& line);

// What help prints: the call syntax, the commands, and where the predicates are listed.
extern const char* const GUIDE;

// --list: the predicates of the plug-in, one name_pattern a line; the exit status.
int listPredicates(const PredicateLibrary& library);

#endif
