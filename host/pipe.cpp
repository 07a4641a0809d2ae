#include "pipe.h"

#include "commands.h"
#include "line_reader.h"
#include "output.h"

#include <unistd.h>

// Exactly one line comes back for every line, at once: the answer, error when the call cannot be
// answered, a command's answer in one line, an empty line for a blank or comment line. A line
// never waits for the next, and halt ends the session as the end of input does.
int answerPipe(Session& session)
{
    std::unique_ptr<LineReader> reader = plainReader(STDIN_FILENO, nullptr, false);
    std::string line;
    for (std::size_t number = 1;; ++number) {
        Read read = reader->next(line);
        if (read == Read::End)
            return session.status();
        if (read != Read::Line)
            return streamError("cannot read standard input");
        line = cleaned(line, number);
        Command command = commandOf(line);
        if (command.kind == Command::Halt)
            return session.status();
        std::string out;
        if (isBlankOrComment(line))
            out = "\n";
        else if (command.kind != Command::None)
            out = commandAnswer(command, session.library(), true);
        else
            out = session.answer(line, "standard input line " + std::to_string(number)).value_or("error") + "\n";
        if (!put(out, true))
            return writeFailed();
    }
}
