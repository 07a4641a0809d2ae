:- module(math_r, [load_plugin/2]).

/** <module> Real numbers for Prolog programs, from the engine's plug-in math_R.so

Loading this library loads math_R.so and defines every predicate that it exports, name_pattern,
as name/N in this module, exported: addR/3, sqrt/2, lessR/2 and so on. A call takes the
pattern whose letters match its arguments, o for an unbound one and i for a bound one:
addR("1.5", "2.25", X) calls addR_iio and binds X = "3.75000000".

Each argument goes to the plug-in as the term its slot takes, as the README's tables of
predicates give the slots: where a real goes, a string, a float (its shortest text) or an integer
of any size (its exact decimal text) as a String; where an Integer goes, an integer of 32 bits;
evalR's formula, a string or an atom, as a String. Any other term raises a type error naming the
argument. A plug-in that the tables do not describe gets a string as a String term, an atom as a
Symbol, an integer of 32 bits as an Integer and a float as a String of its shortest text. What
the plug-in writes comes back as a string, an atom or an integer.
*/

:- use_foreign_library(foreign(math_r4pl)).

:- meta_predicate load_plugin(+, :).

%!  load_plugin(+Path, :Module) is det.
%
%   Loads the plug-in at Path and defines each predicate that it exports as Name/Arity in
%   Module, exported from it and imported where load_plugin/2 is called, as use_module/1
%   would. A name of a built-in predicate is defined in Module only, not exported: call it
%   as Module:Name(...).
%
%   @error existence_error(file, Path) when there is no such file.
%   @error domain_error(extpred_plugin, Path) when it is not a plug-in of the engine's
%          interface (the context says why).
load_plugin(File, Caller:Module) :-
    must_be(atom, Module),
    absolute_file_name(File, Path),
    '$math_r_load'(Path, Module, Families),
    foldl(define(Module), Families, Exports, []),
    (   Caller == Module
    ->  true
    ;   forall(member(Indicator, Exports), Caller:import(Module:Indicator))
    ).

define(Module, Name/Arity-Family, [Name/Arity|Exports], Exports) :-
    \+ current_predicate(system:Name/Arity),
    !,
    define_clause(Module, Name, Arity, Family),
    Module:export(Name/Arity).
define(Module, Name/Arity-Family, Exports, Exports) :-
    functor(Head, Name, Arity),
    redefine_system_predicate(Module:Head),
    define_clause(Module, Name, Arity, Family).

% Name(A1, ..., AN) :- '$math_r_call'(Family, A1, ..., AN), as a static predicate.
define_clause(Module, Name, Arity, Family) :-
    functor(Head, Name, Arity),
    Head =.. [Name|Arguments],
    Call =.. ['$math_r_call', Family|Arguments],
    (   current_predicate(Module:Name/Arity),
        \+ predicate_property(Module:Head, imported_from(_))
    ->  abolish(Module:Name/Arity)
    ;   true
    ),
    assertz(Module:(Head :- math_r:Call)),
    compile_predicates([Module:Name/Arity]).

:- '$math_r_default_plugin'(Path), load_plugin(Path, math_r).
