// Calls typed at a terminal: the ?- prompt, line editing and history.
#ifndef HOST_TERMINAL_H
#define HOST_TERMINAL_H

#include "session.h"

// Answers longer than the screen go through the pager unless `paging` is off.
int answerAtTerminal(Session& session, bool paging = true);

#endif
