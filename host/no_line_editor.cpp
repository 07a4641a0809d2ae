// A build without a line editor: the terminal is read plainly.
#include "line_reader.h"

std::unique_ptr<LineReader> editingReader(const char*, std::vector<std::string>) { return nullptr; }
