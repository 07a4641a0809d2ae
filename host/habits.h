// What other prompts teach: Prolog's arithmetic and comparisons, its ; and single quotes, SQL's
// select. The parser refuses each; the rule author hears what to write here instead.
#ifndef HOST_HABITS_H
#define HOST_HABITS_H

#include <cstddef>
#include <string>

// For the call `text` (one of a body, as the parser split it), which the parser refused at byte
// `at` of it: what to write instead, with the call that, written so, is answered; empty when the
// text is no habit known here.
std::string habitHint(const std::string& text, std::size_t at);

#endif
