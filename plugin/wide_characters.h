// A character of a line as the C library's UTF-8 locale classifies it, whatever the program's
// locale is: lines are UTF-8 to the host.
#ifndef PLUGIN_WIDE_CHARACTERS_H
#define PLUGIN_WIDE_CHARACTERS_H

#include <cstddef>
#include <string>

struct WideCharacter {
    std::size_t length = 0; // its bytes; 0 when none starts there (or no UTF-8 locale is installed)
    bool upper = false;     // an upper-case letter
    bool alnum = false;     // a letter or a digit
    int columns = -1;       // on a terminal, as wcwidth says: -1 for none that prints
};

// The character that starts at byte `at` of `text`, read from at most `limit` bytes.
WideCharacter wideCharacterAt(const std::string& text, std::size_t at, std::size_t limit = std::string::npos);

#endif
