// Long answers at a terminal go through a pager, as psql's and git's do, so that their start
// does not scroll away.
#ifndef HOST_PAGER_H
#define HOST_PAGER_H

#include <string>

// Whether `text` takes more lines than the terminal of standard output has, the prompt's aside.
bool needsPager(const std::string& text);

// Shows `text` through $PAGER (none when it is set but empty), else less -FRX; false when no pager
// could show it, so that the caller writes it itself.
bool throughPager(const std::string& text);

#endif
