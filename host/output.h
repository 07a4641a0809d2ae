// What the host writes: answers on standard output, messages on standard error, and the exit
// status that sums them up.
#ifndef HOST_OUTPUT_H
#define HOST_OUTPUT_H

#include <cstddef>
#include <string>

enum ExitStatus { ALL_ANSWERED = 0, SOME_CALL_FAILED = 1, UNUSABLE = 2 };

// "extpred-host: " and `message` on standard error, in one write, so that nothing typed or
// written meanwhile lands inside it; without the program's name when `named` is false, as at
// its own prompt. At a terminal its first line is broken at blanks to fit; the lines after it
// (a call quoted, a caret) are made to fit by the caller.
void tell(const std::string& message, bool named = true);

// The columns of the terminal that `fd` is: 80 when it cannot say, 0 when it is no terminal.
std::size_t terminalWidth(int fd);

// A line that a message quotes, on lines of its own under it: the line indented by four and cut
// to fit the terminal (or 80 columns elsewhere), and under it a caret at byte `at`.
std::string quotedPlace(const std::string& line, std::size_t at);

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
