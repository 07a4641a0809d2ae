// Calls from a program through a pipe (or a file on standard input): it writes a line and waits
// for its answer.
#ifndef HOST_PIPE_H
#define HOST_PIPE_H

#include "session.h"

int answerPipe(Session& session);

#endif
