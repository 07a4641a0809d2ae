#include "wide_characters.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <locale.h>

WideCharacter wideCharacterAt(const std::string& text, std::size_t at, std::size_t limit)
{
    // This thread's locale, for the one call: the program's stays as it is.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    WideCharacter character;
    if (utf8 == static_cast<locale_t>(nullptr) || at >= text.size())
        return character;
    locale_t previous = uselocale(utf8);
    wchar_t code = 0;
    std::mbstate_t state{};
    std::size_t length = std::mbrtowc(&code, text.data() + at, std::min(limit, text.size() - at), &state);
    if (length != 0 && length != static_cast<std::size_t>(-1) && length != static_cast<std::size_t>(-2)) {
        character.length = length;
        character.upper = std::iswupper(static_cast<wint_t>(code)) != 0;
        character.alnum = std::iswalnum(static_cast<wint_t>(code)) != 0;
        character.columns = wcwidth(code);
    }
    uselocale(previous);
    return character;
}
