// The foreign half of library(math_r): loads a plug-in of the engine's interface into SWI-Prolog
// and answers calls of its predicates. math_r.pl defines each name/N of a plug-in as a clause
// that calls '$math_r_call'(Family, A1, ..., AN); the family holds the predicates of that name
// and arity, one per binding pattern, and the call takes the one whose pattern has an o where
// an argument is unbound.
#include "exported_predicates.h"
#include "formula_faults.h"
#include "missing_patterns.h"
#include "plugin_terms.h"
#include "predicate_reference.h"

#include <SWI-Stream.h>
#include <SWI-Prolog.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifndef MATH_R_PLUGIN_DIR
#define MATH_R_PLUGIN_DIR "."
#endif

namespace {

const char* const MODULE = "math_r";
const char* const DEFAULT_PLUGIN = "math_R.so";

// The predicates of one name and arity; an o slot is a set bit of a pattern's mask.
struct Family {
    std::string module, name, library;
    std::size_t arity = 0;
    const TermMembers* terms = nullptr;
    std::vector<std::pair<std::uint64_t, Predicate>> patterns;
    std::vector<std::string> letters; // of each pattern, in the same order, for messages
    // What each slot takes, as the README's table says; empty for a plug-in that the table does
    // not describe, whose arguments pass kind for kind.
    std::vector<SlotKind> kinds;

    Predicate find(std::uint64_t outputs) const
    {
        for (const auto& [mask, predicate] : patterns)
            if (mask == outputs)
                return predicate;
        return nullptr;
    }
};

// A loaded plug-in. None is ever unloaded: clauses refer to its families.
struct Plugin {
    Plugin(const std::string& path, const std::string& module);

    PredicateLibrary library;
    TermMembers terms;
    std::vector<std::unique_ptr<Family>> families;
};

std::string patternOf(std::size_t arity, std::uint64_t outputs)
{
    std::string letters(arity, 'i');
    for (std::size_t k = 0; k < arity; ++k)
        if (outputs >> k & 1)
            letters[k] = 'o';
    return letters;
}

// The kinds of the family's slots from the row of one of its patterns (they share their slots).
std::vector<SlotKind> kindsOf(const Family& family, const std::vector<const PredicateRow*>& rows)
{
    const PredicateRow* row = rowFor(rows, family.name + '_' + patternOf(family.arity, family.patterns.front().first));
    std::vector<SlotKind> kinds;
    for (std::size_t k = 0; row != nullptr && k < family.arity; ++k)
        kinds.push_back(slotKind(*row, k));
    return kinds;
}

Plugin::Plugin(const std::string& path, const std::string& module) : library(path), terms(library)
{
    std::map<std::pair<std::string, std::size_t>, Family> byName;
    for (const std::string& symbol : library.predicates()) {
        SymbolParts parts;
        if (partsOf(symbol, parts))
            byName[{parts.name, parts.arity}].patterns.emplace_back(parts.outputs, library.find(symbol));
    }
    if (byName.empty())
        throw LoadError("it exports no predicate (no function named name_pattern)");
    std::vector<const PredicateRow*> rows = rowsOf(library);
    for (auto& [key, family] : byName) {
        family.module = module;
        family.name = key.first;
        family.arity = key.second;
        family.library = library.name();
        family.terms = &terms;
        for (const auto& pattern : family.patterns)
            family.letters.push_back(patternOf(family.arity, pattern.first));
        family.kinds = kindsOf(family, rows);
        families.push_back(std::make_unique<Family>(std::move(family)));
    }
}

std::mutex loading;
std::vector<std::unique_ptr<Plugin>> plugins;  // under `loading`
std::set<std::size_t> callArities;              // of '$math_r_call', under `loading`

// ----- Families as Prolog terms: blobs that clauses hold.

int writeFamily(IOSTREAM* stream, atom_t atom, int)
{
    const Family* family = static_cast<const Family*>(PL_blob_data(atom, nullptr, nullptr));
    std::string text = "<math_r_predicate>(" + family->module + ':' + family->name + '/' + std::to_string(family->arity) + ')';
    return Sfputs(text.c_str(), stream) >= 0;
}

PL_blob_t familyBlob = {
    PL_BLOB_MAGIC, PL_BLOB_UNIQUE | PL_BLOB_NOCOPY, "math_r_predicate",
    nullptr, nullptr, writeFamily, nullptr, nullptr, nullptr, 0, {}, 0, 0, nullptr, 0,
};

// ----- Errors: error(Formal, context(Where, Message)), raised; always false.

// An empty message leaves the context's message unbound: the formal term says it all.
int raise(term_t formal, const char* module, const char* name, std::size_t arity, const std::string& message)
{
    term_t error = PL_new_term_ref(), text = PL_new_term_ref();
    if (!message.empty() && !PL_put_chars(text, PL_STRING | REP_UTF8, message.size(), message.c_str()))
        return FALSE;
    if (!formal || !PL_unify_term(error, PL_FUNCTOR_CHARS, "error", 2, PL_TERM, formal, PL_FUNCTOR_CHARS, "context", 2,
                       PL_FUNCTOR_CHARS, ":", 2, PL_UTF8_CHARS, module, PL_FUNCTOR_CHARS, "/", 2, PL_UTF8_CHARS, name,
                       PL_INT64, static_cast<std::int64_t>(arity), PL_TERM, text))
        return FALSE;
    return PL_raise_exception(error);
}

int raise(term_t formal, const Family& family, const std::string& message)
{
    return raise(formal, family.module.c_str(), family.name.c_str(), family.arity, message);
}

int raiseForLoading(term_t formal, const std::string& message) { return raise(formal, MODULE, "load_plugin", 2, message); }

term_t atomTerm(const char* name)
{
    term_t term = PL_new_term_ref();
    return PL_put_atom_chars(term, name) ? term : 0;
}

// Formal(Reason) or Formal(Reason, Culprit).
term_t formalError(const char* formal, const char* reason, term_t culprit = 0)
{
    term_t term = PL_new_term_ref();
    bool made = culprit ? PL_unify_term(term, PL_FUNCTOR_CHARS, formal, 2, PL_CHARS, reason, PL_TERM, culprit)
                        : PL_unify_term(term, PL_FUNCTOR_CHARS, formal, 1, PL_CHARS, reason);
    return made ? term : 0;
}

// An exception that a plug-in threw must not cross Prolog's C frames.
int raiseThrown(const Family& family)
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return PL_resource_error("memory");
    } catch (const std::exception& thrown) {
        return raise(atomTerm("system_error"), family, family.name + " threw " + thrown.what());
    } catch (...) {
        return raise(atomTerm("system_error"), family, family.name + " threw an exception");
    }
}

// "no predicate sqrt_oi in math_R.so; sqrt has sqrt_ii and sqrt_io: the first argument must be
// given", as the host says it.
int raiseUnbound(const Family& family, const std::string& pattern)
{
    std::string message = "no predicate " + family.name + '_' + pattern + " in " + family.library + "; " +
                          patternsOffered(family.name, family.letters);
    std::string give = argumentsToGive(pattern, family.letters);
    return raise(atomTerm("instantiation_error"), family, give.empty() ? message : message + ": " + give);
}

// A call of evalR that failed: syntax_error(Reason) when its formula cannot be read, with the
// reason and place that the host gives; false, as any failed call, when the formula reads (an
// operation in it has no value, or a test's value differs). Only this library's evalR, whose
// first slot the table says is a formula, is asked.
int failCall(const Family& family, const std::string& pattern, Slots& slots)
{
    if (family.kinds.empty() || family.kinds[0] != SlotKind::Formula || family.arity < 2)
        return FALSE;
    FormulaExplanation explanation = explainFailedCall(family.name + '_' + pattern, *family.terms, slots, family.arity);
    if (explanation.kind != FormulaExplanation::Unreadable)
        return FALSE;
    term_t formal = PL_new_term_ref();
    if (!PL_unify_term(formal, PL_FUNCTOR_CHARS, "syntax_error", 1, PL_UTF8_STRING, explanation.reason.c_str()))
        return FALSE;
    return raise(formal, family, "");
}

// ----- Terms in and out.

std::string argumentNamed(std::size_t k) { return "argument " + std::to_string(k + 1); }

// A string's or an atom's text as UTF-8, for as long as a term is made of it (the term keeps a
// copy). It is read where Prolog keeps it, and converted, when it must be, into memory of the
// bridge's own: out of memory, that throws the std::bad_alloc that a call turns into
// resource_error(memory), where a buffer of Prolog's would end the process.
class PrologText {
public:
    // False when `term` is neither.
    bool get(term_t term)
    {
        char* narrow = nullptr;
        if (PL_get_nchars(term, &length_, &narrow, CVT_ATOM | CVT_STRING | REP_ISO_LATIN_1 | BUF_ALLOW_STACK)) {
            bool ascii = std::all_of(narrow, narrow + length_, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
            if (ascii && narrow[length_] == '\0') // as UTF-8 already
                chars_ = narrow;
            else
                encode(reinterpret_cast<const unsigned char*>(narrow));
            return true;
        }
        pl_wchar_t* wide = nullptr; // a character beyond Latin-1
        if (!PL_get_wchars(term, &length_, &wide, CVT_ATOM | CVT_STRING | BUF_ALLOW_STACK))
            return false;
        encode(wide);
        return true;
    }

    const char* chars() const { return chars_; }
    std::size_t length() const { return length_; }

private:
    template <class Character>
    void encode(const Character* text)
    {
        std::size_t size = 0;
        for (std::size_t k = 0; k < length_; ++k)
            size += utf8Length(static_cast<std::uint32_t>(text[k]));
        owned_.reset(new char[size + 1]);
        char* out = owned_.get();
        for (std::size_t k = 0; k < length_; ++k)
            out = utf8(static_cast<std::uint32_t>(text[k]), out);
        *out = '\0';
        chars_ = owned_.get();
        length_ = size;
    }

    static std::size_t utf8Length(std::uint32_t code) { return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4; }

    static char* utf8(std::uint32_t code, char* out)
    {
        std::size_t length = utf8Length(code);
        if (length == 1) {
            *out++ = static_cast<char>(code);
            return out;
        }
        static const unsigned char LEAD[] = {0, 0, 0xC0, 0xE0, 0xF0};
        for (std::size_t k = length - 1; k > 0; --k, code >>= 6)
            out[k] = static_cast<char>(0x80 | (code & 0x3F));
        out[0] = static_cast<char>(LEAD[length] | code);
        return out + length;
    }

    const char* chars_ = nullptr;
    std::size_t length_ = 0;
    std::unique_ptr<char[]> owned_;
};

// Each add function makes the term of bound argument k; false with an exception raised.

// A string or an atom, as a String or as a Symbol.
bool addText(Slots& slots, term_t argument, std::size_t k, const Family& family, bool stringKind)
{
    PrologText text;
    if (!text.get(argument))
        return false;
    if (std::memchr(text.chars(), '\0', text.length()) != nullptr)
        return raise(formalError("representation_error", "nul_character"), family,
                     argumentNamed(k) + ": a text for the plug-in ends at a NUL, and this one holds one");
    slots.addText(text.chars(), text.length(), stringKind);
    return true;
}

// A float as a String of the shortest text that reads back as the same double, as a rule
// author would write it.
bool addFloat(Slots& slots, term_t argument)
{
    double value = 0;
    char buffer[32];
    if (!PL_get_float(argument, &value))
        return false;
    std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
    *written.ptr = '\0';
    slots.addText(buffer, static_cast<std::size_t>(written.ptr - buffer), true);
    return true;
}

// An integer of any size as a String of its exact decimal text.
bool addDecimal(Slots& slots, term_t argument)
{
    std::int64_t value = 0;
    if (PL_get_int64(argument, &value)) {
        char buffer[24];
        std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer - 1, value);
        *written.ptr = '\0';
        slots.addText(buffer, static_cast<std::size_t>(written.ptr - buffer), true);
        return true;
    }
    char* digits = nullptr;
    std::size_t length = 0;
    if (!PL_get_nchars(argument, &length, &digits, CVT_INTEGER | BUF_MALLOC | CVT_EXCEPTION))
        return false;
    std::unique_ptr<char, void (*)(void*)> held(digits, PL_free);
    slots.addText(digits, length, true);
    return true;
}

bool wrongKind(term_t argument, std::size_t k, const Family& family, const char* type, const char* takes)
{
    return raise(formalError("type_error", type, argument), family, argumentNamed(k) + " takes " + takes);
}

// A slot of a real: a string, a float or an integer.
bool addReal(Slots& slots, term_t argument, std::size_t k, const Family& family)
{
    switch (PL_term_type(argument)) {
    case PL_STRING:
        return addText(slots, argument, k, family, true);
    case PL_FLOAT:
        return addFloat(slots, argument);
    case PL_INTEGER:
        return addDecimal(slots, argument);
    default:
        return wrongKind(argument, k, family, "real", "a real: a string such as \"1.5\", a float or an integer");
    }
}

// A slot of an Integer: an integer of 32 bits.
bool addInteger(Slots& slots, term_t argument, std::size_t k, const Family& family)
{
    if (PL_term_type(argument) != PL_INTEGER)
        return wrongKind(argument, k, family, "integer", "an integer, such as 2");
    int value = 0;
    if (!PL_get_integer(argument, &value))
        return raise(formalError("representation_error", "int"), family, argumentNamed(k) + " takes an integer of 32 bits");
    slots.addInteger(value);
    return true;
}

// evalR's formula: a string or an atom, both Prolog's text.
bool addFormula(Slots& slots, term_t argument, std::size_t k, const Family& family)
{
    int type = PL_term_type(argument);
    if (type != PL_STRING && type != PL_ATOM)
        return wrongKind(argument, k, family, "formula", "a formula: a string or an atom, such as \"x * 2\"");
    return addText(slots, argument, k, family, true);
}

// A slot of a plug-in that the table does not describe: each term as the engine passes it.
bool addAnyTerm(Slots& slots, term_t argument, std::size_t k, const Family& family)
{
    int value = 0;
    switch (PL_term_type(argument)) {
    case PL_NIL: // a reserved symbol, no atom, in SWI-Prolog 7 on
        slots.addText("[]", 2, false);
        return true;
    case PL_STRING:
        return addText(slots, argument, k, family, true);
    case PL_ATOM:
        return addText(slots, argument, k, family, false);
    case PL_INTEGER:
        if (!PL_get_integer(argument, &value))
            break;
        slots.addInteger(value);
        return true;
    case PL_FLOAT:
        return addFloat(slots, argument);
    default:
        break;
    }
    return wrongKind(argument, k, family, "extpred_term", "a string, an atom, a float or an integer of 32 bits");
}

bool addInput(Slots& slots, term_t argument, std::size_t k, const Family& family)
{
    if (family.kinds.empty())
        return addAnyTerm(slots, argument, k, family);
    switch (family.kinds[k]) {
    case SlotKind::Integer:
        return addInteger(slots, argument, k, family);
    case SlotKind::Formula:
        return addFormula(slots, argument, k, family);
    case SlotKind::Real:
    case SlotKind::RealOrInteger: // an integer of any size, as its text
        break;
    }
    return addReal(slots, argument, k, family);
}

bool unifyOutput(term_t argument, const TermMembers& terms, CONSTANT* slot)
{
    switch (terms.type(slot)) {
    case CONSTANT::String:
        return PL_unify_chars(argument, PL_STRING | REP_UTF8, static_cast<std::size_t>(-1), terms.toString(slot));
    case CONSTANT::Symbol:
        return PL_unify_chars(argument, PL_ATOM | REP_UTF8, static_cast<std::size_t>(-1), terms.toSymbol(slot));
    case CONSTANT::Integer:
        return PL_unify_integer(argument, terms.toInt(slot));
    default: // held without writing it: the argument stays unbound
        return true;
    }
}

// ----- The predicates.

// '$math_r_call'(+Family, ?A1, ..., ?AN)
foreign_t callPredicate(term_t arguments, int arity, control_t)
{
    void* data = nullptr;
    PL_blob_t* type = nullptr;
    if (!PL_get_blob(arguments, &data, nullptr, &type) || type != &familyBlob)
        return PL_type_error("math_r_predicate", arguments);
    const Family& family = *static_cast<const Family*>(data);
    std::size_t count = static_cast<std::size_t>(arity) - 1;
    if (count != family.arity)
        return PL_domain_error("math_r_predicate_arity", arguments);
    term_t slot0 = arguments + 1;

    std::uint64_t outputs = 0;
    for (std::size_t k = 0; k < count; ++k)
        if (PL_is_variable(slot0 + k))
            outputs |= std::uint64_t{1} << k;
    Predicate predicate = family.find(outputs);
    if (predicate == nullptr)
        return raiseUnbound(family, patternOf(count, outputs));

    try {
        Slots slots(*family.terms, count);
        for (std::size_t k = 0; k < count; ++k) {
            if (outputs >> k & 1)
                slots.addNull();
            else if (!addInput(slots, slot0 + k, k, family))
                return FALSE;
        }
        if (!predicate(slots.data(), static_cast<unsigned>(count)))
            return failCall(family, patternOf(count, outputs), slots);
        for (std::size_t k = 0; k < count; ++k)
            if ((outputs >> k & 1) && !unifyOutput(slot0 + k, *family.terms, slots.at(k)))
                return FALSE;
        return TRUE;
    } catch (...) {
        return raiseThrown(family);
    }
}

bool getText(term_t term, std::string& text, int representation)
{
    char* chars = nullptr;
    std::size_t length = 0;
    if (!PL_get_nchars(term, &length, &chars, CVT_ATOM | CVT_STRING | CVT_EXCEPTION | representation | BUF_DISCARDABLE))
        return false;
    text.assign(chars, length);
    return true;
}

// '$math_r_load'(+Path, +Module, -Families): each family as Name/Arity-Family.
foreign_t loadPlugin(term_t pathTerm, term_t moduleTerm, term_t familiesTerm)
{
    std::string path, module;
    if (!getText(pathTerm, path, REP_FN) || !getText(moduleTerm, module, REP_UTF8))
        return FALSE;
    if (path.find('\0') != std::string::npos)
        return raiseForLoading(formalError("domain_error", "file_name", pathTerm), "the path holds a NUL");

    std::lock_guard<std::mutex> lock(loading);
    if (access(path.c_str(), F_OK) != 0)
        return raiseForLoading(formalError("existence_error", "file", pathTerm), std::strerror(errno));
    Plugin* plugin = nullptr;
    try {
        plugins.push_back(std::make_unique<Plugin>(path, module));
        plugin = plugins.back().get();
    } catch (const LoadError& error) {
        return raiseForLoading(formalError("domain_error", "extpred_plugin", pathTerm), error.what());
    } catch (const std::bad_alloc&) {
        return PL_resource_error("memory");
    }

    term_t list = PL_copy_term_ref(familiesTerm), item = PL_new_term_ref(), handle = PL_new_term_ref();
    for (const auto& family : plugin->families) {
        std::size_t arity = family->arity + 1;
        if (callArities.insert(arity).second &&
            !PL_register_foreign_in_module(MODULE, "$math_r_call", static_cast<int>(arity),
                                           reinterpret_cast<pl_function_t>(callPredicate), PL_FA_VARARGS))
            return FALSE;
        if (!PL_put_blob(handle, family.get(), sizeof(Family), &familyBlob) || !PL_unify_list(list, item, list) ||
            !PL_unify_term(item, PL_FUNCTOR_CHARS, "-", 2, PL_FUNCTOR_CHARS, "/", 2, PL_UTF8_CHARS, family->name.c_str(),
                           PL_INT64, static_cast<std::int64_t>(family->arity), PL_TERM, handle))
            return FALSE;
    }
    return PL_unify_nil(list);
}

// The folders where this bridge keeps its plug-ins: beside it, as a build has them, and where an
// installation puts them relative to it.
const std::vector<std::string> BRIDGE_FOLDERS{".", MATH_R_PLUGIN_DIR};

// '$math_r_default_plugin'(-Path): math_R.so beside this library, as a build has it, else where
// an installation puts it relative to this library, else where the system's loader finds it.
foreign_t defaultPlugin(term_t pathTerm)
{
    try {
        std::string path = libraryNear(reinterpret_cast<void*>(&defaultPlugin), BRIDGE_FOLDERS);
        return PL_unify_chars(pathTerm, PL_ATOM | REP_FN, static_cast<std::size_t>(-1), path.c_str());
    } catch (const LoadError& error) {
        return raiseForLoading(formalError("existence_error", "file", atomTerm(DEFAULT_PLUGIN)), error.what());
    } catch (const std::bad_alloc&) {
        return PL_resource_error("memory");
    }
}

// '$math_r_search'(+Name, -Path): the plug-in of a plain name (math_R or math_R.so) where the
// system's loader finds it, else in the folders of this bridge; false when neither has it.
foreign_t searchPlugin(term_t nameTerm, term_t pathTerm)
{
    std::string name;
    if (!getText(nameTerm, name, REP_FN))
        return FALSE;
    if (name.empty() || name.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return FALSE;
    const std::string extension = ".so";
    std::vector<std::string> names{name};
    if (name.size() < extension.size() || name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        names.insert(names.begin(), name + extension);
    std::string path;
    for (const std::string& each : names)
        if (path.empty())
            path = loaderFinds(each);
    for (const std::string& folder : foldersNear(reinterpret_cast<void*>(&searchPlugin), BRIDGE_FOLDERS))
        for (const std::string& each : names)
            if (path.empty() && access((std::filesystem::path(folder) / each).c_str(), F_OK) == 0)
                path = (std::filesystem::path(folder) / each).string();
    return !path.empty() && PL_unify_chars(pathTerm, PL_ATOM | REP_FN, static_cast<std::size_t>(-1), path.c_str());
}

} // namespace

extern "C" __attribute__((visibility("default"))) void install_math_r4pl()
{
    PL_register_foreign_in_module(MODULE, "$math_r_load", 3, reinterpret_cast<pl_function_t>(loadPlugin), 0);
    PL_register_foreign_in_module(MODULE, "$math_r_default_plugin", 1, reinterpret_cast<pl_function_t>(defaultPlugin), 0);
    PL_register_foreign_in_module(MODULE, "$math_r_search", 2, reinterpret_cast<pl_function_t>(searchPlugin), 0);
}
