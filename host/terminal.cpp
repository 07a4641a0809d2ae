#include "terminal.h"

#include "commands.h"
#include "line_reader.h"
#include "output.h"

#include <unistd.h>

#include <iostream>

namespace {

const char* const PROMPT = "?- ";
const char* const CONTINUATION = "|  "; // while a call goes on over several lines

} // namespace

// Lines typed are edited and kept in the history wherever the answers go. Answers that go
// elsewhere get no prompt, and exactly one line for each call, as from a pipe.
int answerAtTerminal(Session& session)
{
    bool prompting = isatty(STDOUT_FILENO);
    std::unique_ptr<LineReader> reader = editingReader(nullptr);
    if (!reader)
        reader = plainReader(STDIN_FILENO, nullptr, true);
    CallInLines call;
    // At the terminal the reason shown is answer enough; a file of answers keeps its lines in
    // step with the calls.
    auto answered = [&]() {
        auto answer = session.answer(call, "");
        return (!answer && prompting) || put(answer.value_or("error") + "\n", true);
    };
    std::string line;
    for (std::size_t number = 1;;) {
        if (prompting)
            reader->setPrompt(call.pending() ? CONTINUATION : PROMPT);
        Read read = reader->next(line);
        if (read == Read::Interrupted) {
            call.clear(); // the unfinished call too
            continue;
        }
        if (read == Read::Failed)
            return streamError("cannot read standard input");
        if (read == Read::End)
            break;
        line = cleaned(line, number);
        Command command = call.pending() ? Command::None : commandOf(line);
        if (command == Command::Halt)
            return ALL_ANSWERED;
        if (command == Command::Help) {
            // The guide is for the person at the keyboard, not for a file of answers.
            (prompting ? std::cout : std::cerr) << GUIDE << std::flush;
            ++number; // a line typed, counted as every line with text is
            continue;
        }
        if (!call.add(line, number))
            continue;
        number = call.lastLine() + 1; // a blank line within a call is not counted
        if (call.complete()) {
            if (!answered())
                return writeFailed();
            call.clear();
        }
    }
    // A call that never ended has its problem shown, the end of input being an orderly end.
    if (call.pending() && !answered())
        return writeFailed();
    if (prompting && !put("\n")) // the shell's prompt then starts on a line of its own
        return writeFailed();
    return ALL_ANSWERED; // Ctrl-D is an orderly end: each problem was shown as it came
}
