#include "arguments.h"

#include "commands.h"
#include "output.h"

#include <unistd.h>

int answerArguments(Session& session, const std::vector<std::string>& calls)
{
    std::size_t width = terminalWidth(STDOUT_FILENO); // a command's answer fits it (0: no terminal)
    for (std::size_t k = 0; k < calls.size(); ++k) {
        std::string call = cleaned(calls[k], 0);
        Command command = commandOf(call);
        if (command.kind == Command::Halt)
            break;
        if (command.kind != Command::None) {
            if (!put(commandAnswer(command, session.library(), false, width)))
                return writeFailed();
        } else if (auto answer = session.answer(call, "call " + std::to_string(k + 1), "goal")) {
            if (!put(*answer + "\n"))
                return writeFailed();
        }
    }
    return session.status();
}
