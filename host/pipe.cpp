#include "pipe.h"

#include "commands.h"
#include "line_reader.h"
#include "output.h"

#include <unistd.h>

// Exactly one line comes back for every line with a call, at once, even when the call cannot be
// answered (a line never waits for the next).
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
        if (isBlankOrComment(line))
            continue;
        Command command = commandOf(line);
        if (command == Command::Halt)
            return session.status();
        if (command == Command::Help) {
            if (!put(GUIDE, true))
                return writeFailed();
            continue;
        }
        auto answer = session.answer(line, "standard input line " + std::to_string(number));
        if (!put(answer.value_or("error") + "\n", true))
            return writeFailed();
    }
}
