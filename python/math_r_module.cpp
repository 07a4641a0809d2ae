// math_r._math_r: a plug-in of the engine's interface loaded into Python, every predicate a
// built-in function. math_r/__init__.py puts math_R.so's into the package, math_r/clingo.py
// the same names over clingo's symbols.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "clingo_symbols.h"
#include "formula_faults.h"
#include "plugin_functions.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#ifndef MATH_R_PLUGIN_DIR
#define MATH_R_PLUGIN_DIR "."
#endif

namespace {

// ----- Objects: a loaded plug-in, the clingo symbols of one clingo_functions call, and a
// function of either (the self of a built-in function).

struct PluginObject {
    PyObject_HEAD
    PluginFunctions* plugin;
};

// Each clingo_functions call has its own, which its functions hold: another call, over other
// constructors, leaves them as they are.
struct ContextObject {
    PyObject_HEAD
    PyObject* plugin; // the PluginObject
    PyObject* string; // clingo's String(text), Number(n) and Function(name)
    PyObject* number;
    PyObject* function;
    PyObject* holds; // Number(1) and Number(0), what a test gives
    PyObject* fails;
    ClingoSymbols symbols; // read and made directly, where they can be
};

struct FunctionObject {
    PyObject_HEAD
    PyObject* owner; // the PluginObject or ContextObject, kept alive while the function is
    const PluginFunctions* plugin;
    const ContextObject* context; // null for a function over Python's values
    const Function* function;
    PyMethodDef method;
};

void deallocPlugin(PyObject* self)
{
    delete reinterpret_cast<PluginObject*>(self)->plugin;
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type); // a heap type, which its objects hold
}

void deallocContext(PyObject* object)
{
    ContextObject* self = reinterpret_cast<ContextObject*>(object);
    for (PyObject* held : {self->plugin, self->string, self->number, self->function, self->holds, self->fails})
        Py_XDECREF(held);
    PyTypeObject* type = Py_TYPE(object);
    type->tp_free(object);
    Py_DECREF(type);
}

void deallocFunction(PyObject* self)
{
    Py_XDECREF(reinterpret_cast<FunctionObject*>(self)->owner);
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

PyTypeObject* pluginType = nullptr; // made from their PyType_Spec when the module is first imported
PyTypeObject* contextType = nullptr;
PyTypeObject* functionType = nullptr;

// ----- Errors, each naming the function: always null.

PyObject* fail(PyObject* type, const FunctionObject& self, const std::string& message)
{
    PyErr_Format(type, "%s() %s", self.function->name.c_str(), message.c_str());
    return nullptr;
}

bool wrongKind(const FunctionObject& self, std::size_t k, const char* takes, const char* given)
{
    return fail(PyExc_TypeError, self, "argument " + std::to_string(k + 1) + " must be " + takes + ", not " + given);
}

// ----- Arguments: each add function makes the term of input k; false with an exception set.

bool addStr(Slots& slots, PyObject* text, std::size_t k, const FunctionObject& self)
{
    Py_ssize_t length = 0;
    const char* chars = PyUnicode_AsUTF8AndSize(text, &length); // kept by the str: no copy
    if (chars == nullptr)
        return false;
    if (std::memchr(chars, '\0', std::size_t(length)) != nullptr)
        return fail(PyExc_ValueError, self,
                    "argument " + std::to_string(k + 1) + " holds a NUL character, where the plug-in's texts end");
    slots.addText(chars, std::size_t(length), true);
    return true;
}

// A float as the shortest text that reads back as the same double, as a rule author writes it.
void addFloat(Slots& slots, double value)
{
    char buffer[32];
    std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *written.ptr = '\0';
    slots.addText(buffer, std::size_t(written.ptr - buffer), true);
}

// An int of any size as its exact decimal text; beyond what Python writes in decimal (thousands
// of digits, far beyond a double's range), its hexadecimal text, which reads as the same infinity.
void addDecimal(Slots& slots, long long value)
{
    char buffer[24];
    std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *written.ptr = '\0';
    slots.addText(buffer, std::size_t(written.ptr - buffer), true);
}

bool addDecimal(Slots& slots, PyObject* integer)
{
    int overflow = 0;
    long long value = PyLong_AsLongLongAndOverflow(integer, &overflow);
    if (overflow == 0)
        return addDecimal(slots, value), true;
    PyObject* text = PyObject_Str(integer);
    if (text == nullptr && PyErr_ExceptionMatches(PyExc_ValueError)) {
        PyErr_Clear();
        text = PyNumber_ToBase(integer, 16);
    }
    if (text == nullptr)
        return false;
    Py_ssize_t length = 0;
    const char* chars = PyUnicode_AsUTF8AndSize(text, &length);
    if (chars != nullptr)
        slots.addText(chars, std::size_t(length), true);
    Py_DECREF(text);
    return chars != nullptr;
}

// True and False are ints to Python, but no number that a caller means.
bool isInt(PyObject* value) { return PyLong_Check(value) && !PyBool_Check(value); }

bool addInteger(Slots& slots, PyObject* value, std::size_t k, const FunctionObject& self)
{
    int overflow = 0;
    long integer = PyLong_AsLongAndOverflow(value, &overflow);
    if (integer == -1 && PyErr_Occurred())
        return false;
    if (overflow != 0 || integer < INT_MIN || integer > INT_MAX)
        return fail(PyExc_OverflowError, self,
                    "argument " + std::to_string(k + 1) + " must be an Integer of 32 bits, from -2147483648 to 2147483647");
    slots.addInteger(int(integer));
    return true;
}

const char* const TAKES_REAL = "a real (a str such as \"1.5\", a float or an int)";
const char* const TAKES_INTEGER = "an Integer (an int of 32 bits)";
const char* const TAKES_FORMULA = "a formula (a str such as \"x * 2\")";
const char* const TAKES_ANY = "a str, an int of 32 bits or a float";

bool addPython(Slots& slots, PyObject* value, SlotKind kind, bool described, std::size_t k, const FunctionObject& self)
{
    const char* given = Py_TYPE(value)->tp_name;
    if (!described) { // kind for kind, as the engine passes terms
        if (PyUnicode_Check(value))
            return addStr(slots, value, k, self);
        if (isInt(value))
            return addInteger(slots, value, k, self);
        if (PyFloat_Check(value))
            return addFloat(slots, PyFloat_AS_DOUBLE(value)), true;
        return wrongKind(self, k, TAKES_ANY, given);
    }
    switch (kind) {
    case SlotKind::Integer:
        return isInt(value) ? addInteger(slots, value, k, self) : wrongKind(self, k, TAKES_INTEGER, given);
    case SlotKind::Formula:
        return PyUnicode_Check(value) ? addStr(slots, value, k, self) : wrongKind(self, k, TAKES_FORMULA, given);
    case SlotKind::Real:
    case SlotKind::RealOrInteger: // an int of any size, as its text
        break;
    }
    if (PyUnicode_Check(value))
        return addStr(slots, value, k, self);
    if (PyFloat_Check(value))
        return addFloat(slots, PyFloat_AS_DOUBLE(value)), true;
    if (isInt(value))
        return addDecimal(slots, value);
    return wrongKind(self, k, TAKES_REAL, given);
}

// ----- clingo's symbols: a String is a text, a Number an Integer or, in a real's slot, the
// real of its value.

struct AttributeNames {
    PyObject* type = nullptr; // interned when the module is imported
    PyObject* string = nullptr;
    PyObject* number = nullptr;
} attributes;

// The kind of a symbol, "Function", for messages.
std::string symbolKind(PyObject* type)
{
    PyObject* text = PyObject_Str(type);
    const char* chars = text != nullptr ? PyUnicode_AsUTF8(text) : nullptr;
    std::string kind = chars != nullptr ? chars : "?";
    Py_XDECREF(text);
    PyErr_Clear();
    return kind.substr(kind.rfind('.') + 1);
}

// The symbol's text when it is a String, its value when it is a Number, else null; never an
// exception. Read without asking for its type, which costs clingo 5.4 more than both: there a
// symbol of another kind answers None, later clingo raises.
PyObject* symbolValue(PyObject* symbol, PyObject* name, bool (*fits)(PyObject*))
{
    PyObject* value = PyObject_GetAttr(symbol, name);
    if (value == nullptr)
        PyErr_Clear();
    else if (!fits(value))
        Py_CLEAR(value);
    return value;
}

bool isStr(PyObject* value) { return PyUnicode_Check(value); }

bool wrongSymbol(PyObject* symbol, SlotKind kind, bool described, std::size_t k, const FunctionObject& self)
{
    const char* takes = !described                  ? "a String or a Number"
                        : kind == SlotKind::Integer ? "an Integer (a Number)"
                        : kind == SlotKind::Formula ? "a formula (a String such as \"x * 2\")"
                                                    : "a real (a String such as \"1.5\", or a Number)";
    PyObject* type = PyObject_GetAttr(symbol, attributes.type);
    if (type == nullptr) {
        PyErr_Clear();
        return wrongKind(self, k, "a clingo symbol", Py_TYPE(symbol)->tp_name);
    }
    std::string given = symbolKind(type);
    Py_DECREF(type);
    return wrongKind(self, k, takes, given.c_str());
}

bool addSymbol(Slots& slots, PyObject* symbol, SlotKind kind, bool described, std::size_t k, const FunctionObject& self)
{
    const bool takesText = !described || kind != SlotKind::Integer, takesNumber = !described || kind != SlotKind::Formula;
    const bool integer = !described || kind == SlotKind::Integer;
    const ClingoSymbols& symbols = self.context->symbols;
    if (symbols.reads(symbol)) {
        int number = 0;
        if (const char* text = takesText ? symbols.text(symbol) : nullptr)
            slots.addText(text, std::strlen(text), true);
        else if (takesNumber && symbols.number(symbol, number))
            integer ? slots.addInteger(number) : addDecimal(slots, number);
        else
            return wrongSymbol(symbol, kind, described, k, self);
        return true;
    }
    if (PyObject* text = takesText ? symbolValue(symbol, attributes.string, isStr) : nullptr) {
        bool added = addStr(slots, text, k, self);
        Py_DECREF(text);
        return added;
    }
    if (PyObject* number = takesNumber ? symbolValue(symbol, attributes.number, isInt) : nullptr) {
        bool added = integer ? addInteger(slots, number, k, self) : addDecimal(slots, number);
        Py_DECREF(number);
        return added;
    }
    return wrongSymbol(symbol, kind, described, k, self);
}

// ----- Results.

PyObject* pythonValue(const FunctionObject& self, CONSTANT* slot)
{
    const TermMembers& terms = self.plugin->terms;
    switch (terms.type(slot)) {
    case CONSTANT::String:
    case CONSTANT::Symbol: {
        const char* text = terms.type(slot) == CONSTANT::String ? terms.toString(slot) : terms.toSymbol(slot);
        return PyUnicode_DecodeUTF8(text, Py_ssize_t(std::strlen(text)), "surrogateescape");
    }
    case CONSTANT::Integer:
        return PyLong_FromLong(terms.toInt(slot));
    default: // held without writing it
        Py_RETURN_NONE;
    }
}

PyObject* clingoValue(const FunctionObject& self, CONSTANT* slot)
{
    const TermMembers& terms = self.plugin->terms;
    const ContextObject& clingo = *self.context;
    if (clingo.symbols.reads(clingo.holds) && terms.type(slot) == CONSTANT::String)
        return clingo.symbols.makeString(terms.toString(slot));
    if (clingo.symbols.reads(clingo.holds) && terms.type(slot) == CONSTANT::Integer)
        return clingo.symbols.makeNumber(terms.toInt(slot));
    PyObject* value = pythonValue(self, slot);
    if (value == nullptr || value == Py_None)
        return value;
    PyObject* make = terms.type(slot) == CONSTANT::Integer ? clingo.number
                     : terms.type(slot) == CONSTANT::String ? clingo.string
                                                            : clingo.function;
    PyObject* symbol = PyObject_CallOneArg(make, value);
    Py_DECREF(value);
    return symbol;
}

// What a pattern that held gives: True for a test, else its outputs, several as a tuple.
template <PyObject* (*valueOf)(const FunctionObject&, CONSTANT*)>
PyObject* results(const FunctionObject& self, const Pattern& pattern, Slots& slots, PyObject* holds)
{
    if (pattern.outputs == 0)
        return Py_NewRef(holds);
    if (pattern.inputs + 1 == pattern.arity)
        for (std::size_t k = 0;; ++k)
            if (pattern.isOutput(k))
                return valueOf(self, slots.at(k));
    PyObject* tuple = PyTuple_New(Py_ssize_t(pattern.arity - pattern.inputs));
    for (std::size_t k = 0, at = 0; tuple != nullptr && k < pattern.arity; ++k) {
        if (!pattern.isOutput(k))
            continue;
        PyObject* value = valueOf(self, slots.at(k));
        if (value == nullptr) {
            Py_CLEAR(tuple);
            break;
        }
        PyTuple_SET_ITEM(tuple, Py_ssize_t(at++), value);
    }
    return tuple;
}

// An evalR call that failed: a formula that cannot be read raises ValueError, with the reason
// and place that the host gives; one that reads but has no value is a plain failure.
bool formulaReads(const FunctionObject& self, const Pattern& pattern, Slots& slots)
{
    FormulaExplanation explanation = explainFailedCall(pattern.symbol, self.plugin->terms, slots, pattern.arity);
    if (explanation.kind != FormulaExplanation::Unreadable)
        return true;
    std::string message = "evalR: " + explanation.reason;
    if (explanation.placed)
        message += "\n" + formulaPlace(self.plugin->terms.toString(slots.at(0)), explanation.at);
    PyErr_SetString(PyExc_ValueError, message.c_str());
    return false;
}

PyObject* wrongCount(const FunctionObject& self, Py_ssize_t count)
{
    return fail(PyExc_TypeError, self, "takes " + self.function->takes() + " (" + std::to_string(count) + " given)");
}

// One call: the inputs made terms by `add`, the predicate called, the outputs read by `valueOf`.
template <bool (*add)(Slots&, PyObject*, SlotKind, bool, std::size_t, const FunctionObject&),
          PyObject* (*valueOf)(const FunctionObject&, CONSTANT*), PyObject* (*noValue)()>
PyObject* call(PyObject* object, PyObject* const* arguments, Py_ssize_t count, PyObject* keywords, PyObject* holds,
               PyObject* fails)
{
    const FunctionObject& self = *reinterpret_cast<FunctionObject*>(object);
    if (keywords != nullptr && PyTuple_GET_SIZE(keywords) != 0)
        return fail(PyExc_TypeError, self, "takes no keyword arguments");
    count = PyVectorcall_NARGS(count);
    const Pattern* pattern = self.function->patternFor(std::size_t(count));
    if (pattern == nullptr)
        return wrongCount(self, count);
    try {
        Slots slots(self.plugin->terms, pattern->arity);
        const bool described = !pattern->kinds.empty();
        for (std::size_t k = 0, given = 0; k < pattern->arity; ++k) {
            if (pattern->isOutput(k))
                slots.addNull();
            else if (!add(slots, arguments[given++], described ? pattern->kinds[k] : SlotKind::Real, described, k, self))
                return nullptr;
        }
        if (pattern->predicate(slots.data(), unsigned(pattern->arity)))
            return results<valueOf>(self, *pattern, slots, holds);
        if (pattern->takesFormula() && !formulaReads(self, *pattern, slots))
            return nullptr;
        return pattern->outputs == 0 ? Py_NewRef(fails) : noValue();
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::exception& thrown) {
        return fail(PyExc_RuntimeError, self, std::string("threw ") + thrown.what());
    } catch (...) {
        return fail(PyExc_RuntimeError, self, "threw an exception");
    }
}

PyObject* none() { Py_RETURN_NONE; }

PyObject* callPython(PyObject* self, PyObject* const* arguments, Py_ssize_t count, PyObject* keywords)
{
    return call<addPython, pythonValue, none>(self, arguments, count, keywords, Py_True, Py_False);
}

// A failing output pattern gives no symbol (an empty list), so the rule instance is dropped. Not
// an empty tuple: clingo 5.4 reads that as the symbol ().
PyObject* noSymbol() { return PyList_New(0); }

PyObject* callClingo(PyObject* self, PyObject* const* arguments, Py_ssize_t count, PyObject* keywords)
{
    const ContextObject& clingo = *reinterpret_cast<FunctionObject*>(self)->context;
    return call<addSymbol, clingoValue, noSymbol>(self, arguments, count, keywords, clingo.holds, clingo.fails);
}

// ----- The plug-in's functions.

// METH_FASTCALL | METH_KEYWORDS's functions: the arguments as an array, then the keywords' names
// (refused with the function's own name).
using FastFunction = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// A built-in function of `function` of `plugin`, over the symbols of `context` if any, in the
// module named `module`.
PyObject* newFunction(PyObject* plugin, ContextObject* context, const Function& function, FastFunction body,
                      PyObject* module)
{
    FunctionObject* self = PyObject_New(FunctionObject, functionType);
    if (self == nullptr)
        return nullptr;
    self->owner = Py_NewRef(context != nullptr ? reinterpret_cast<PyObject*>(context) : plugin);
    self->plugin = reinterpret_cast<PluginObject*>(plugin)->plugin;
    self->context = context;
    self->function = &function;
    self->method = {function.name.c_str(), reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(body)),
                    METH_FASTCALL | METH_KEYWORDS, function.doc.c_str()};
    PyObject* made = PyCFunction_NewEx(&self->method, reinterpret_cast<PyObject*>(self), module);
    Py_DECREF(self);
    return made;
}

bool addFunctions(PyObject* dict, PyObject* plugin, ContextObject* context, const std::vector<Function>& functions,
                  FastFunction body, PyObject* module)
{
    for (const Function& function : functions) {
        PyObject* made = newFunction(plugin, context, function, body, module);
        if (made == nullptr || PyDict_SetItemString(dict, function.name.c_str(), made) != 0) {
            Py_XDECREF(made);
            return false;
        }
        Py_DECREF(made);
    }
    return true;
}

PyObject* pluginFunctions(PyObject* self, PyObject* module)
{
    if (!PyUnicode_Check(module))
        return PyErr_Format(PyExc_TypeError, "functions() takes the module's name, a str");
    PluginFunctions* plugin = reinterpret_cast<PluginObject*>(self)->plugin;
    PyObject* dict = PyDict_New();
    if (dict != nullptr && (!addFunctions(dict, self, nullptr, plugin->symbols, callPython, module) ||
                            !addFunctions(dict, self, nullptr, plugin->names, callPython, module)))
        Py_CLEAR(dict);
    return dict;
}

PyObject* callWithInt(PyObject* callable, long argument)
{
    PyObject* number = PyLong_FromLong(argument);
    PyObject* result = number != nullptr ? PyObject_CallOneArg(callable, number) : nullptr;
    Py_XDECREF(number);
    return result;
}

// clingo_functions(module, String, Number, Function): the name functions over
// clingo's symbols.
PyObject* pluginClingoFunctions(PyObject* self, PyObject* const* arguments, Py_ssize_t count)
{
    if (count != 4 || !PyUnicode_Check(arguments[0]))
        return PyErr_Format(PyExc_TypeError, "clingo_functions(module, String, Number, Function)");
    ContextObject* clingo = PyObject_New(ContextObject, contextType);
    if (clingo == nullptr)
        return nullptr;
    clingo->plugin = Py_NewRef(self);
    clingo->string = Py_NewRef(arguments[1]);
    clingo->number = Py_NewRef(arguments[2]);
    clingo->function = Py_NewRef(arguments[3]);
    clingo->holds = callWithInt(clingo->number, 1);
    clingo->fails = clingo->holds != nullptr ? callWithInt(clingo->number, 0) : nullptr;
    new (&clingo->symbols) ClingoSymbols();
    PyObject* dict = clingo->fails != nullptr ? PyDict_New() : nullptr;
    if (dict != nullptr) {
        clingo->symbols.setUp(clingo->string, clingo->number);
        if (!addFunctions(dict, self, clingo, reinterpret_cast<PluginObject*>(self)->plugin->names, callClingo, arguments[0]))
            Py_CLEAR(dict);
    }
    Py_DECREF(clingo); // held by its functions
    return dict;
}

// calls(): the patterns that each name function calls, by the number of arguments.
PyObject* pluginCalls(PyObject* self, PyObject*)
{
    PyObject* dict = PyDict_New();
    for (const Function& function : reinterpret_cast<PluginObject*>(self)->plugin->names) {
        PyObject* symbols = dict != nullptr ? PyList_New(0) : nullptr;
        for (const Pattern* pattern : function.byCount) {
            PyObject* symbol = pattern != nullptr && symbols != nullptr ? PyUnicode_FromString(pattern->symbol.c_str()) : nullptr;
            if (symbol != nullptr && PyList_Append(symbols, symbol) != 0)
                Py_CLEAR(symbols);
            Py_XDECREF(symbol);
        }
        if (symbols == nullptr || PyDict_SetItemString(dict, function.name.c_str(), symbols) != 0)
            Py_CLEAR(dict);
        Py_XDECREF(symbols);
        if (dict == nullptr)
            break;
    }
    return dict;
}

PyMethodDef pluginMethods[] = {
    {"calls", pluginCalls, METH_NOARGS, "calls(): the patterns that each name calls, by the number of arguments"},
    {"functions", pluginFunctions, METH_O, "functions(module): every name_pattern and every name, as functions"},
    {"clingo_functions", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(pluginClingoFunctions)), METH_FASTCALL,
     "clingo_functions(module, String, Number, Function): every name, over clingo's symbols"},
    {nullptr, nullptr, 0, nullptr},
};

// ----- The module.

PyObject* load(PyObject*, PyObject* argument)
{
    PyObject* path = nullptr;
    if (!PyUnicode_FSConverter(argument, &path))
        return nullptr;
    std::string file(PyBytes_AS_STRING(path), std::size_t(PyBytes_GET_SIZE(path)));
    Py_DECREF(path);
    if (file.find('\0') != std::string::npos)
        return PyErr_Format(PyExc_ValueError, "load_plugin(): the path holds a NUL character");
    PluginObject* self = PyObject_New(PluginObject, pluginType);
    if (self == nullptr)
        return nullptr;
    self->plugin = nullptr;
    try {
        self->plugin = new PluginFunctions(file);
    } catch (const LoadError& error) {
        Py_DECREF(self);
        // The loader's own messages name the file already.
        std::string reason = error.what();
        if (reason.compare(0, file.size() + 1, file + ":") != 0)
            reason = file + ": " + reason;
        return PyErr_Format(PyExc_ImportError, "%s", reason.c_str());
    } catch (const std::bad_alloc&) {
        Py_DECREF(self);
        return PyErr_NoMemory();
    }
    return reinterpret_cast<PyObject*>(self);
}

// math_R.so of a build, two folders up from build/python/math_r/, else the installed one relative
// to this module, else the one that the system's loader finds.
PyObject* defaultPlugin(PyObject*, PyObject*)
{
    try {
        return PyUnicode_DecodeFSDefault(libraryNear(reinterpret_cast<void*>(&defaultPlugin), {"../..", MATH_R_PLUGIN_DIR}).c_str());
    } catch (const LoadError& error) {
        return PyErr_Format(PyExc_ImportError, "%s", error.what());
    }
}

// Every row of the README's tables: (symbol, slots, fails when, does, example).
PyObject* rows(PyObject*, PyObject*)
{
    PyObject* all = PyTuple_New(Py_ssize_t(PREDICATE_ROW_COUNT));
    for (std::size_t k = 0; all != nullptr && k < PREDICATE_ROW_COUNT; ++k) {
        const PredicateRow& row = PREDICATE_ROWS[k];
        // What each slot takes, a letter a slot: r a real, n a real or an Integer, i an Integer,
        // f a formula.
        std::string kinds;
        for (std::size_t slot = 0; slot < std::string(row.kinds).size(); ++slot)
            kinds += "rnif"[int(slotKind(row, slot))];
        PyObject* item = Py_BuildValue("(ssssss)", row.symbol, row.slots, row.failsWhen, row.does, row.example, kinds.c_str());
        if (item == nullptr)
            Py_CLEAR(all);
        else
            PyTuple_SET_ITEM(all, Py_ssize_t(k), item);
    }
    return all;
}

PyMethodDef moduleMethods[] = {
    {"load", load, METH_O, "load(path): the plug-in at path, or ImportError saying why it is none"},
    {"default_plugin", defaultPlugin, METH_NOARGS, "default_plugin(): the path of the math_R.so to load"},
    {"rows", rows, METH_NOARGS, "rows(): the README's table of predicates, (symbol, slots, fails when, does, example, kinds)"},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT, "_math_r", "The plug-in loader behind math_r.", -1, moduleMethods,
                         nullptr, nullptr, nullptr, nullptr};

} // namespace

PyMODINIT_FUNC PyInit__math_r()
{
    static PyType_Slot pluginSlots[] = {
        {Py_tp_dealloc, reinterpret_cast<void*>(deallocPlugin)},
        {Py_tp_methods, pluginMethods},
        {Py_tp_doc, const_cast<char*>("A loaded plug-in of the engine's interface.")},
        {0, nullptr},
    };
    static PyType_Slot contextSlots[] = {{Py_tp_dealloc, reinterpret_cast<void*>(deallocContext)}, {0, nullptr}};
    static PyType_Slot functionSlots[] = {{Py_tp_dealloc, reinterpret_cast<void*>(deallocFunction)}, {0, nullptr}};
    // Made only by load() and the plug-in: one made from Python would hold no plug-in.
    static PyType_Spec pluginSpec = {"math_r._math_r.Plugin", sizeof(PluginObject), 0,
                                     Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, pluginSlots};
    static PyType_Spec contextSpec = {"math_r._math_r.ClingoContext", sizeof(ContextObject), 0,
                                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, contextSlots};
    static PyType_Spec functionSpec = {"math_r.plugin_function", sizeof(FunctionObject), 0,
                                       Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, functionSlots};
    if (pluginType == nullptr)
        pluginType = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&pluginSpec));
    if (contextType == nullptr)
        contextType = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&contextSpec));
    if (functionType == nullptr)
        functionType = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&functionSpec));
    for (auto [name, text] : {std::pair{&attributes.type, "type"}, {&attributes.string, "string"}, {&attributes.number, "number"}})
        if (*name == nullptr)
            *name = PyUnicode_InternFromString(text);
    if (pluginType == nullptr || contextType == nullptr || functionType == nullptr || attributes.type == nullptr ||
        attributes.string == nullptr || attributes.number == nullptr)
        return nullptr;
    return PyModule_Create(&moduleDef);
}
