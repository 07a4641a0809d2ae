#include "clingo_symbols.h"

#include <dlfcn.h>

#include <cstring>

namespace {

// clingo_symbol_type_t's values (clingo.h).
const int NUMBER = 1;
const int STRING = 4;

template <class Function>
bool resolve(Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
    return function != nullptr;
}

bool sameSymbol(PyObject* made, PyObject* expected)
{
    bool same = made != nullptr && expected != nullptr && Py_TYPE(made) == Py_TYPE(expected) &&
                PyObject_RichCompareBool(made, expected, Py_EQ) == 1;
    Py_XDECREF(made);
    Py_XDECREF(expected);
    return same;
}

} // namespace

ClingoSymbols::Symbol ClingoSymbols::symbolOf(PyObject* object)
{
    Symbol symbol;
    std::memcpy(&symbol, reinterpret_cast<const char*>(object) + sizeof(PyObject), sizeof symbol);
    return symbol;
}

bool ClingoSymbols::setUp(PyObject* string, PyObject* number)
{
    type_ = nullptr;
    if (!resolve(typeOf_, "clingo_symbol_type") || !resolve(string_, "clingo_symbol_string") ||
        !resolve(number_, "clingo_symbol_number") || !resolve(createString_, "clingo_symbol_create_string") ||
        !resolve(createNumber_, "clingo_symbol_create_number"))
        return false;
    PyObject* text = PyObject_CallFunction(string, "s", "1.5");
    PyObject* seven = PyObject_CallFunction(number, "i", -7);
    bool laidOut = text != nullptr && seven != nullptr && Py_TYPE(text) == Py_TYPE(seven) &&
                   Py_TYPE(text)->tp_basicsize == Py_ssize_t(sizeof(PyObject) + sizeof(Symbol));
    if (laidOut) {
        type_ = Py_TYPE(text);
        const char* read = this->text(text);
        int value = 0;
        laidOut = read != nullptr && std::strcmp(read, "1.5") == 0 && this->number(seven, value) && value == -7 &&
                  this->text(seven) == nullptr && sameSymbol(makeString("2.5"), PyObject_CallFunction(string, "s", "2.5")) &&
                  sameSymbol(makeNumber(42), PyObject_CallFunction(number, "i", 42));
    }
    Py_XDECREF(text);
    Py_XDECREF(seven);
    PyErr_Clear();
    if (!laidOut)
        type_ = nullptr;
    return laidOut;
}

const char* ClingoSymbols::text(PyObject* symbol) const
{
    const char* text = nullptr;
    Symbol handle = symbolOf(symbol);
    return typeOf_(handle) == STRING && string_(handle, &text) ? text : nullptr;
}

bool ClingoSymbols::number(PyObject* symbol, int& value) const
{
    Symbol handle = symbolOf(symbol);
    return typeOf_(handle) == NUMBER && number_(handle, &value);
}

PyObject* ClingoSymbols::make(Symbol symbol) const
{
    PyObject* object = type_->tp_alloc(type_, 0);
    if (object != nullptr)
        std::memcpy(reinterpret_cast<char*>(object) + sizeof(PyObject), &symbol, sizeof symbol);
    return object;
}

PyObject* ClingoSymbols::makeString(const char* text) const
{
    Symbol symbol = 0;
    if (!createString_(text, &symbol))
        return PyErr_NoMemory();
    return make(symbol);
}

PyObject* ClingoSymbols::makeNumber(int value) const
{
    Symbol symbol = 0;
    createNumber_(value, &symbol);
    return make(symbol);
}
