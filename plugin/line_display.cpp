#include "line_display.h"

#include "wide_characters.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <vector>

namespace {

bool isContinuation(const std::string& line, std::size_t at, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    if (at >= line.size())
        return false;
    auto byte = static_cast<unsigned char>(line[at]);
    return byte >= low && byte <= high;
}

// Bytes of the printable UTF-8 character at `at`, or 0 when the byte there must be escaped.
std::size_t printableLength(const std::string& line, std::size_t at)
{
    auto lead = static_cast<unsigned char>(line[at]);
    if (lead == '\t' || (lead >= 0x20 && lead < 0x7F))
        return 1;
    if (lead == 0xC2) // U+0080 to U+009F are control characters too
        return isContinuation(line, at + 1, 0xA0) ? 2 : 0;
    if (lead > 0xC2 && lead <= 0xDF)
        return isContinuation(line, at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) { // no overlong forms, no surrogates
        bool second = isContinuation(line, at + 1, lead == 0xE0 ? 0xA0 : 0x80, lead == 0xED ? 0x9F : 0xBF);
        return second && isContinuation(line, at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) { // no overlong forms, nothing past U+10FFFF
        bool second = isContinuation(line, at + 1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF);
        return second && isContinuation(line, at + 2) && isContinuation(line, at + 3) ? 4 : 0;
    }
    return 0;
}

// Calls `visit` for each character before byte `end`: where it starts, how many bytes it has and
// whether it is shown escaped (one byte as \xHH).
void forEachCharacter(const std::string& line, std::size_t end,
                      const std::function<void(std::size_t at, std::size_t length, bool escaped)>& visit)
{
    for (std::size_t at = 0; at < end && at < line.size();) {
        std::size_t length = printableLength(line, at);
        visit(at, length == 0 ? 1 : length, length == 0);
        at += length == 0 ? 1 : length;
    }
}

const std::size_t ESCAPE_WIDTH = 4; // \xHH

// Terminal columns of a well-formed printable UTF-8 character: 2 for most CJK, 0 for a combining
// mark. One column where no UTF-8 locale is installed.
std::size_t columnsOf(const std::string& line, std::size_t at, std::size_t length)
{
    if (length == 1)
        return 1;
    WideCharacter character = wideCharacterAt(line, at, length);
    return character.length != length || character.columns < 0 ? 1 : static_cast<std::size_t>(character.columns);
}

std::size_t columnsShown(const std::string& line, std::size_t at, std::size_t length, bool escaped)
{
    return escaped ? ESCAPE_WIDTH : columnsOf(line, at, length);
}

void appendShown(std::string& text, const std::string& line, std::size_t at, std::size_t length, bool escaped)
{
    static const char hex[] = "0123456789abcdef";
    auto byte = static_cast<unsigned char>(line[at]);
    if (escaped)
        text += {'\\', 'x', hex[byte >> 4], hex[byte & 15]};
    else
        text.append(line, at, length);
}

} // namespace

std::string shownLine(const std::string& line)
{
    std::string text;
    forEachCharacter(line, line.size(), [&](std::size_t at, std::size_t length, bool escaped) {
        appendShown(text, line, at, length, escaped);
    });
    return text;
}

std::size_t shownWidth(const std::string& line)
{
    std::size_t width = 0;
    forEachCharacter(line, line.size(), [&](std::size_t at, std::size_t length, bool escaped) {
        width += columnsShown(line, at, length, escaped);
    });
    return width;
}

std::size_t characterNumber(const std::string& line, std::size_t at)
{
    std::size_t number = 1;
    forEachCharacter(line, at, [&](std::size_t, std::size_t, bool) { ++number; });
    return number;
}

Excerpt excerptAround(const std::string& line, std::size_t at, std::size_t width)
{
    struct Character {
        std::size_t at, length, columns;
        bool escaped;
    };
    std::vector<Character> characters;
    std::size_t total = 0, caret = 0; // columns of the line; index of the caret's character
    forEachCharacter(line, line.size(), [&](std::size_t from, std::size_t length, bool escaped) {
        if (from < at)
            caret = characters.size() + 1;
        characters.push_back({from, length, columnsShown(line, from, length, escaped), escaped});
        total += characters.back().columns;
    });

    // The caret about the middle of the window; what one side does not use goes to the other.
    // The window leaves room for the "..." of each side that is cut, so that the excerpt fits.
    const std::string cut = "...";
    std::size_t first = 0, last = characters.size(), used = 0;
    if (total > width) {
        std::size_t room = width > 2 * cut.size() ? width - 2 * cut.size() : 0;
        first = last = caret;
        while (first > 0 && used + characters[first - 1].columns <= room / 2)
            used += characters[--first].columns;
        while (last < characters.size() && used + characters[last].columns <= room)
            used += characters[last++].columns;
        while (first > 0 && used + characters[first - 1].columns <= room)
            used += characters[--first].columns;
        // A side that is not cut needs no "...": its room goes to the other side.
        room += cut.size();
        while (first == 0 && last < characters.size() && used + characters[last].columns <= room)
            used += characters[last++].columns;
        while (last == characters.size() && first > 0 && used + characters[first - 1].columns <= room)
            used += characters[--first].columns;
    }

    Excerpt excerpt;
    if (first > 0) {
        excerpt.line = cut;
        excerpt.caret.assign(cut.size(), ' ');
    }
    for (std::size_t k = first; k < last; ++k) {
        const Character& c = characters[k];
        appendShown(excerpt.line, line, c.at, c.length, c.escaped);
        if (k < caret)
            excerpt.caret.append(line[c.at] == '\t' ? 1 : c.columns, line[c.at] == '\t' ? '\t' : ' ');
    }
    if (last < characters.size())
        excerpt.line += cut;
    excerpt.caret += '^';
    return excerpt;
}

std::string abridged(const std::string& text, std::size_t width)
{
    if (shownWidth(text) <= width)
        return shownLine(text);
    return excerptAround(text, 0, width).line + " (" + std::to_string(characterNumber(text, text.size()) - 1) +
           " characters)";
}

bool isOperatorSign(char c) { return c != '\0' && std::strchr("+-*/%^=<>", c) != nullptr; }

std::string wrapped(const std::string& text, std::size_t width, std::size_t indent, bool wholeCode)
{
    if (width == 0)
        return text;
    // A piece of code in a message stays whole: no break inside a quoted text, nor beside a lone
    // operator sign (x ^ 2 broken after the ^ would read as two pieces).
    auto isSign = [](const std::string& word) { return word.size() == 1 && isOperatorSign(word[0]); };
    std::string out;
    std::size_t column = 0; // of the line being written
    bool quoted = false, afterSign = false;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] == '\n') {
            out += '\n';
            column = 0;
            ++at;
            continue;
        }
        std::size_t end = std::min(text.find_first_of(" \n", at), text.size());
        std::string word = text.substr(at, end - at);
        std::size_t columns = shownWidth(word);
        bool breakable = !wholeCode || (!quoted && !afterSign && !isSign(word));
        quoted = quoted != (std::count(word.begin(), word.end(), '"') % 2 == 1);
        afterSign = isSign(word);
        if (breakable && column > indent && column + 1 + columns > width) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (column > 0) {
            out += ' ';
            ++column;
        }
        out += word;
        column += columns;
        at = end < text.size() && text[end] == ' ' ? end + 1 : end;
    }
    return out;
}
