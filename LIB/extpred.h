// Term values shared by the rule engine and its external-predicate libraries.
//
// The engine passes predicate arguments as arrays of CONSTANT, so the record layout
// (a 32-bit kind followed by a pointer-sized payload) is part of the binary interface.
#ifndef EXTPRED_H
#define EXTPRED_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the engine and other plug-ins link against; everything else stays inside the library.
#define EXTPRED_API __attribute__((visibility("default")))

class EXTPRED_API CONSTANT {
public:
    // The values are fixed: terms of different kinds order by them.
    enum TYPE : std::int32_t { Integer = 0, Symbol = 1, String = 2, NullConst = 3 };

    CONSTANT();                                  // NullConst
    CONSTANT(const int& value);                  // Integer
    CONSTANT(const char* text, bool stringKind); // String or Symbol; one enclosing pair of quotes is dropped
    CONSTANT(const CONSTANT& other);
    CONSTANT& operator=(const CONSTANT& other);
    ~CONSTANT();

    TYPE getType() const;
    bool isInt() const;
    bool isString() const;
    bool isSymbol() const;
    bool isNull() const;

    // Each of these stops the process when called on a term of another kind.
    int toInt() const;
    const char* toString() const;
    const char* toSymbol() const;
    const char* toQuotedString() const; // new text "..."; the caller releases it with delete[]

    // Three-way comparison: 0 when equal, negative when this term orders first.
    int operator!=(const CONSTANT& other) const;
    bool operator==(const CONSTANT& other) const;
    bool operator<(const CONSTANT& other) const;
    bool operator<=(const CONSTANT& other) const;
    bool operator>(const CONSTANT& other) const;
    bool operator>=(const CONSTANT& other) const;

private:
    // Lets the library store a result text it has just formatted with one allocation instead of
    // two (temporary term, then copy). TermWriter is internal to the library, not exported.
    friend struct TermWriter;

    TYPE type;
    union {
        char* string;
        int integer;
    } data;
};

#if defined(__x86_64__)
static_assert(sizeof(CONSTANT) == 16, "the engine passes arrays of 16-byte terms");
#endif

// Texts of the elements of a bracketed term.
typedef std::vector<std::string> STRINGVECTOR;

// Four bracket pairs, opening then closing: "(){}<>[]" with no terminator.
extern EXTPRED_API char StartEndSymbols[8];

EXTPRED_API bool isStartSymbol(char c);
EXTPRED_API bool isEndSymbol(char c);
EXTPRED_API int getStartSymbolIndex(char c);                            // pair index 0..3, or -1
EXTPRED_API void parseStringTerm(std::string text, STRINGVECTOR& elements); // appends the top-level elements
EXTPRED_API int nElementsOf(std::string text);
EXTPRED_API std::string fromConstantToString(CONSTANT c);               // abc, "abc", -42 or empty for NullConst

#endif
