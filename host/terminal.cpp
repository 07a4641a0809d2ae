#include "terminal.h"

#include "commands.h"
#include "line_reader.h"
#include "output.h"
#include "pager.h"

#include <unistd.h>

#include <iostream>

namespace {

const char* const OPENING = "Type help for help; halt or Ctrl-D ends.\n";
const char* const PROMPT = "?- ";
const char* const CONTINUATION = "|  "; // while a call goes on over several lines

} // namespace

// Lines typed are edited and kept in the history wherever the answers go. Answers that go
// elsewhere get no prompt, and exactly one line for each call, as from a pipe.
int answerAtTerminal(Session& session, bool paging)
{
    bool prompting = isatty(STDOUT_FILENO);
    std::unique_ptr<LineReader> reader = editingReader(nullptr, commandWords(session.library()));
    if (!reader)
        reader = plainReader(STDIN_FILENO, nullptr, true);
    if (prompting && !put(OPENING, true))
        return writeFailed();

    CallInLines call;
    std::string typed;     // the lines of the call under way, as typed: one history entry
    std::size_t lines = 0; // of the call under way, blank ones among them
    // At the terminal the reason shown is answer enough; a file of answers keeps its lines in
    // step with the calls.
    auto answered = [&]() {
        auto answer = session.answerTyped(call, prompting ? terminalWidth(STDOUT_FILENO) : 0);
        reader->remember(typed);
        call.clear();
        typed.clear();
        return (!answer && prompting) || put(answer.value_or("error") + "\n", true);
    };
    std::string line;
    for (;;) {
        if (prompting)
            reader->setPrompt(call.pending() ? CONTINUATION : PROMPT);
        Read read = reader->next(line);
        if (read == Read::Interrupted) {
            call.clear(); // the unfinished call too
            typed.clear();
            continue;
        }
        if (read == Read::Failed)
            return streamError("cannot read standard input");
        if (read == Read::End)
            break;
        line = cleaned(line, 0);
        Command command = call.pending() ? Command{} : commandOf(line);
        if (command.kind != Command::None)
            reader->remember(line);
        if (command.kind == Command::Halt)
            return ALL_ANSWERED;
        if (command.kind != Command::None) {
            // For the person at the keyboard, not for a file of answers.
            std::string text = commandAnswer(command, session.library(), false,
                                             terminalWidth(prompting ? STDOUT_FILENO : STDERR_FILENO));
            if (prompting && paging && needsPager(text) && put("", true) && throughPager(text))
                continue;
            if (prompting ? !put(text, true) : !(std::cerr << text << std::flush))
                return writeFailed();
            continue;
        }
        bool within = call.pending();
        if (!call.add(line, within ? lines + 1 : 1)) {
            reader->remember(line); // a comment
            continue;
        }
        lines = within ? lines + 1 : 1;
        typed += (within ? "\n" : "") + line;
        if (call.complete() && !answered())
            return writeFailed();
    }
    // Ctrl-D at a continuation prompt ends the line there, then the call is answered as one that
    // ends early at the end of a file is, and the session ends as then.
    if (call.pending()) {
        if ((prompting && !put("\n")) || !answered())
            return writeFailed();
        return SOME_CALL_FAILED;
    }
    if (prompting && !put("\n")) // the shell's prompt then starts on a line of its own
        return writeFailed();
    return ALL_ANSWERED; // Ctrl-D is an orderly end: each problem was shown as it came
}
