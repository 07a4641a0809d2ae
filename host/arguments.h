// Calls given on the command line, each answered on a line of its own.
#ifndef HOST_ARGUMENTS_H
#define HOST_ARGUMENTS_H

#include "session.h"

#include <string>
#include <vector>

int answerArguments(Session& session, const std::vector<std::string>& calls);

#endif
