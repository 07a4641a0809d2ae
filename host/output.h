// What the host writes: answers on standard output, messages on standard error, and the exit
// status that sums them up.
#ifndef HOST_OUTPUT_H
#define HOST_OUTPUT_H

#include <string>

enum ExitStatus { ALL_ANSWERED = 0, SOME_CALL_FAILED = 1, UNUSABLE = 2 };

// "extpred-host: " and `message` on standard error, in one write, so that nothing typed or
// written meanwhile lands inside it.
void tell(const std::string& message);

// A file or stream that fails, with the system's reason.
int streamError(const std::string& what);

// Answers that never reached their reader (a full disk, a closed pipe) are no answers: the
// first failed write ends the run, with its reason.
int writeFailed();

// `text` on standard output; false once the stream has failed.
bool put(const std::string& text, bool flush = false);

// The last answers still in the buffer; a run that already failed says so only once.
int written(int status);

#endif
