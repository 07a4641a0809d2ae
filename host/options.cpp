#include "options.h"

#include "line_display.h"
#include "output.h"

#include <iostream>

namespace {

const char* const USAGE = "usage: extpred-host [--lib PATH] [--no-pager] [-f FILE] [CALL ...]\n"
                          "   or: extpred-host [--lib PATH] --list";
// The project's version, set once in CMakeLists.txt.
const char* const VERSION = EXTPRED_HOST_VERSION;

const char* const HELP = R"(

A stand-in for the rule engine: loads a plug-in of external predicates (by
default math_R.so beside this program, or the installed one) the way the engine
does, and answers calls written as the engine writes atoms, so that a rule
author can try the predicates and a host author can see how the library is
driven. "..." is a real (a String term), 42 an Integer, a name starting with a
capital letter (of any script) or _ a variable, any other name a Symbol.
Variables are the outputs: addR("1", X, "3") calls addR_ioi.

A CALL (or a line) may be a rule body: calls separated by commas, answered left
to right, each variable an output of its first call and an input of the later
ones; a leading ?- and a final . are allowed. The answer gives each variable
once (not those starting with _), true when there are none, and false when any
call fails; a line on standard error then says why when an argument is of a
kind that its slot never takes, or when a formula cannot be computed. A line
may also be a command: help NAME (the predicates of that name: slots, guard and
an example; help evalR also the language of formulas), apropos WORDS (the
predicates whose name or description holds the words), list (every predicate),
help (a short guide), halt, quit or exit (the end, as the end of input).

examples:
  $ extpred-host 'sqrt("2", X)'
  X = "1.41421356"
  $ extpred-host 'addR("0.1", "0.2", "0.3")' 'floor("-2.5", K)'
  true
  K = -3
  $ extpred-host 'timesR("2", "2", R2), timesR(R2, "3.14159265", A)'
  R2 = "4.00000000", A = "12.56637060"
  $ extpred-host 'help sqrt'
  sqrt_ii(X, R): tests R = √X; fails when X < 0 or nan
      sqrt("2", "1.41421356") → true
  sqrt_io(X, R): writes R = √X; fails when X < 0 or nan
      sqrt("2", R) → R = "1.41421356"
  $ extpred-host 'apropos degrees'
  deg2rad  degrees converted to radians
  rad2deg  radians converted to degrees
  $ extpred-host -f )" EXTPRED_HOST_TOUR R"(

Without CALL it reads one call (or body) a line:
  -f FILE          a transcript: each line is echoed, each answer (or error)
                   beside its call; blank lines (trailing blanks dropped) and %
                   comments kept. A line that ends with a comma or a bracket
                   still open goes on on the next one, here and at a terminal.
  a pipe or file   exactly one line out for every line in, written at once,
                   never waiting for the next line: the answer, or error (its
                   reason on standard error, which a program must read or
                   redirect); an empty line for a blank or % line; a command's
                   answer in one line.
  a terminal       line editing, Tab completion of names and history when built
                   with libedit: each line, or each call typed over several
                   lines, is added to ~/.extpred_host_history as it is entered,
                   shared by the sessions at once (a file there that is no such
                   history is left alone); the ?- prompt (|  while a call goes
                   on) when the answers go to the terminal too, else one line
                   per call as for a pipe. Messages fit the terminal, and name
                   a problem by its place in the call. Ctrl-C drops the call
                   typed, Ctrl-D ends (at a |  prompt, as the end of a file).

options:
  --lib PATH  load the plug-in at PATH instead of math_R.so (a bare file name
              is taken from the current folder)
  -f FILE     read calls from FILE as a transcript (- for standard input)
  --list      print the predicates that the plug-in exports, one name_pattern a
              line, sorted, and exit
  --no-pager  at a terminal, show an answer longer than the screen (help evalR)
              whole instead of through $PAGER (else less -FRX)
  --help      print the usage, the call syntax, the input modes and the exit
              status, and exit
  --version   print the program's name and version, and exit

exit status: 0 every call was answered (true or false), or Ctrl-D or halt ended
a terminal session; 1 some call was malformed or named no predicate, or a
terminal session ended inside a call; 2 bad usage, a plug-in that cannot be
loaded or listed, or calls that cannot be read or answers that cannot be
written.
)";

int usageError(const std::string& message)
{
    tell(message + "\n" + USAGE + "  (see --help)");
    return UNUSABLE;
}

} // namespace

int readOptions(int argc, char** argv, Options& options)
{
    bool optionsEnded = false;
    for (int k = 1; k < argc; ++k) {
        std::string argument = argv[k];
        if (optionsEnded || argument.empty() || argument[0] != '-') {
            options.calls.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h" || argument == "--version") {
            if (argc > 2)
                return usageError(argument + " takes no other arguments");
            if (argument == "--version")
                std::cout << "extpred-host " << VERSION << "\n";
            else
                std::cout << USAGE << HELP;
            return ALL_ANSWERED;
        } else if (argument == "--list") {
            options.list = true;
        } else if (argument == "--no-pager") {
            options.paging = false;
        } else if (argument == "--lib" || argument == "-f" || argument.rfind("--lib=", 0) == 0) {
            std::string option = argument.substr(0, argument.find('='));
            if (option == argument && k + 1 == argc)
                return usageError(option + " needs a value");
            std::string value = option == argument ? argv[++k] : argument.substr(option.size() + 1);
            std::optional<std::string>& setting = option == "-f" ? options.file : options.library;
            if (setting)
                return usageError(option + " given twice");
            if (value.empty())
                return usageError(option + " needs a value, not an empty text");
            setting = value;
        } else {
            return usageError("unknown option " + abridged(argument));
        }
    }
    if (options.list && (options.file || !options.calls.empty()))
        return usageError("--list answers no calls");
    if (options.file && !options.calls.empty())
        return usageError("give calls either with -f or as arguments, not both");
    return -1;
}

