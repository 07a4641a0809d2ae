// A script of calls (-f FILE): every answer follows its call in one column, and comments and
// blank lines stay, so the output reads as the script with its answers filled in.
#ifndef HOST_TRANSCRIPT_H
#define HOST_TRANSCRIPT_H

#include "session.h"

#include <istream>
#include <string>

// `source` names the file in messages.
int answerTranscript(Session& session, std::istream& in, const std::string& source);

#endif
