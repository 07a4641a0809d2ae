// Calls typed at a terminal: the ?- prompt, line editing and history.
#ifndef HOST_TERMINAL_H
#define HOST_TERMINAL_H

#include "session.h"

int answerAtTerminal(Session& session);

#endif
