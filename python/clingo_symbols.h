// clingo's symbols read and made through clingo's C library, where the process has it (the
// clingo program does): a symbol object of clingo 5.4's Python module holds the library's 64-bit
// symbol right after its object header. Asking the object for its attributes, and calling
// String() for a result, cost several times as much (bench/README.md, "Python and clingo": the
// costs of .type, .string and String against the whole call). Whether this holds is checked
// once, against symbols that clingo's own String and Number make; where it does not, nothing is
// read this way.
#ifndef PYTHON_CLINGO_SYMBOLS_H
#define PYTHON_CLINGO_SYMBOLS_H

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstdint>

class ClingoSymbols {
public:
    // Whether symbols can be read and made here; `string` and `number` are clingo's String and
    // Number. Clears any Python error it meets.
    bool setUp(PyObject* string, PyObject* number);

    // Whether `object` is a symbol that this reads.
    bool reads(PyObject* object) const { return type_ != nullptr && Py_TYPE(object) == type_; }
    // Of a symbol that it reads: its text, null unless it is a String; its value when a Number.
    const char* text(PyObject* symbol) const;
    bool number(PyObject* symbol, int& value) const;

    // A new String or Number symbol, or null with an exception set.
    PyObject* makeString(const char* text) const;
    PyObject* makeNumber(int value) const;

private:
    using Symbol = std::uint64_t;
    static Symbol symbolOf(PyObject* object);
    PyObject* make(Symbol symbol) const;

    PyTypeObject* type_ = nullptr;
    int (*typeOf_)(Symbol) = nullptr;
    bool (*string_)(Symbol, const char**) = nullptr;
    bool (*number_)(Symbol, int*) = nullptr;
    bool (*createString_)(const char*, Symbol*) = nullptr;
    void (*createNumber_)(int, Symbol*) = nullptr;
};

#endif
