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

:- multifile prolog:message//1, user:message_hook/3.

% plugin_module(Module, Path, Exports): Module holds the predicates of the plug-in at Path, and
% exports these. A plug-in is never unloaded, nor are its predicates replaced.
:- dynamic plugin_module/3.

% reported_clash(Module, Clash): a clash of the plug-in that Module holds, which a warning has told
% of and no warning tells again.
:- dynamic reported_clash/2.

%!  load_plugin(+File, :Module) is det.
%
%   Loads the plug-in File and defines each predicate that it exports as Name/Arity in Module,
%   exported from it and imported where load_plugin/2 is called, as use_module/1 would. File is
%   a path or a path alias, with or without its extension: foreign(math_R) finds math_R.so as
%   use_foreign_library/1 does, in the folders of the alias foreign, else where the system's
%   loader finds it (LD_LIBRARY_PATH, /usr/lib/<triplet>), else in the folder where this library
%   finds its own. A name of a built-in predicate is defined in Module only, not exported: call
%   it as Module:Name(...).
%
%   Every clash is found before anything is defined: a name that Module already defines or
%   imports is not defined there, and one that the calling module already has is not imported
%   into it. One warning lists them all, and the rest is defined and imported.
%
%   Loading the file that Module already holds again only imports its predicates; nothing is
%   redefined, so calls made meanwhile by other threads go on.
%
%   @error existence_error(file, File) when there is no such file.
%   @error domain_error(file_spec, File) when File is no path nor alias of a known one.
%   @error domain_error(extpred_plugin, Path) when it is not a plug-in of the engine's
%          interface (the context says why).
%   @error permission_error(modify, module, Module) when Module already holds the
%          predicates of another plug-in.
load_plugin(File, Caller:Module) :-
    must_be(atom, Module),
    plugin_path(File, Path),
    with_mutex(math_r_load, load_into(Module, Path, Caller)).

% The plug-in File names, with .so or without: a file, else, for a plain name or foreign(Name),
% where use_foreign_library/1 would leave it to the system's loader, what that loader finds or
% this bridge's own folders hold; else the directory it names, for '$math_r_load' to tell why it
% is no plug-in.
plugin_path(File, Path) :-
    (   absolute_file_name(File, Path, [file_type(executable), access(exist), file_errors(fail)])
    ->  true
    ;   loader_name(File, Name),
        '$math_r_search'(Name, Path)
    ->  true
    ;   absolute_file_name(File, Path, [file_type(directory), file_errors(fail)])
    ->  true
    ;   file_spec(File)
    ->  existence_error(file, File)
    ;   domain_error(file_spec, File)
    ).

% The names that use_foreign_library/1 leaves to the system's loader when no file has them.
loader_name(foreign(Name), Name) :-
    !,
    atom(Name).
loader_name(Name, Name) :-
    atom(Name).

% A path, or Alias(Path) of an alias that file_search_path/2 knows.
file_spec(File) :-
    (   atom(File)
    ;   string(File)
    ;   compound(File),
        compound_name_arity(File, Alias, 1),
        once(user:file_search_path(Alias, _))
    ),
    !.

load_into(Module, Path, Caller) :-
    plugin_module(Module, Held, Exports),
    !,
    (   ( Held == Path ; same_file(Held, Path) )
    ->  split_imports(Caller, Module, Exports, Imports, Clashes),
        import_plugin(Caller, Module, Imports),
        warn_clashes(Module, Path, Clashes)
    ;   format(string(Message), "~w holds the predicates of ~w; load ~w into another module",
               [Module, Held, Path]),
        throw(error(permission_error(modify, module, Module), context(math_r:load_plugin/2, Message)))
    ).
load_into(Module, Path, Caller) :-
    '$math_r_load'(Path, Module, Families),
    partition(definable(Module), Families, Candidates, Taken),
    foldl(exported, Candidates, Offered, []),
    split_imports(Caller, Module, Offered, Importable, Unimportable),
    partition(define(Module), Candidates, Definitions, Refused),
    foldl(exported, Definitions, Exports, []),
    forall(member(Indicator, Exports), Module:export(Indicator)),
    assertz(plugin_module(Module, Path, Exports)),
    intersection(Importable, Exports, Imports),
    import_plugin(Caller, Module, Imports),
    append(Taken, Refused, Undefined),
    maplist(clash(define, Module), Undefined, NotDefined),
    include(exported_clash(Exports), Unimportable, NotImported),
    append(NotDefined, NotImported, Clashes),
    warn_clashes(Module, Path, Clashes).

% Module has no predicate of that name yet, or only the built-in one, or only the one it sees in
% its default module (user), which a definition of its own overrides. Such a one may still be an
% import of that same predicate, which define/2 finds.
definable(Module, Name/Arity-_) :-
    functor(Head, Name, Arity),
    (   has_own(Module, Head)
    ->  predicate_property(Module:Head, implementation_module(Holder)),
        Holder \== Module,
        import_module(Module, Default),
        has_own(Default, Head),
        predicate_property(Default:Head, implementation_module(Holder))
    ;   true
    ).

exported_clash(Exports, clash(_, _, Indicator, _)) :-
    memberchk(Indicator, Exports).

exported(Name/Arity-_, Exports, Exports) :-
    current_predicate(system:Name/Arity),
    !.
exported(Name/Arity-_, [Name/Arity|Exports], Exports).

% Imports: what Caller may import from Module; Clashes: what it has from elsewhere.
split_imports(Module, Module, _, [], []) :-
    !.
split_imports(Caller, Module, Exports, Imports, Clashes) :-
    partition(importable(Caller, Module), Exports, Imports, Taken),
    maplist(clash(import, Caller), Taken, Clashes).

importable(Caller, Module, Name/Arity) :-
    functor(Head, Name, Arity),
    (   has_own(Caller, Head)
    ->  predicate_property(Caller:Head, imported_from(Module))
    ;   true
    ).

% Module defines Head, imports it, or holds the one of its default module (user) that a call
% there found; not merely sees it there.
has_own(Module, Head) :-
    '$c_current_predicate'(_, Module:Head),
    '$get_predicate_attribute'(Module:Head, defined, 1).

import_plugin(Caller, Module, Imports) :-
    forall(member(Indicator, Imports), Caller:import(Module:Indicator)).

% clash(Action, Module, Name/Arity, Holder): Module already has Name/Arity from Holder (itself
% when it defines it), so the plug-in's is not defined there (define) or imported (import).
clash(Action, Module, Name/Arity-_, Clash) :-
    !,
    clash(Action, Module, Name/Arity, Clash).
clash(Action, Module, Name/Arity, clash(Action, Module, Name/Arity, Holder)) :-
    functor(Head, Name, Arity),
    (   predicate_property(Module:Head, imported_from(Holder))
    ->  true
    ;   Holder = Module
    ).

% One warning of the clashes that none has told of yet: a load that changes nothing says nothing.
warn_clashes(Module, Path, Clashes) :-
    exclude(reported_clash(Module), Clashes, New),
    (   New == []
    ->  true
    ;   forall(member(Clash, New), assertz(reported_clash(Module, Clash))),
        print_message(warning, load_plugin_clashes(Path, New))
    ).

% A plug-in's predicate that SWI-Prolog would not import where the same name is already imported
% from elsewhere (use_module(library(math_r)) where load_plugin/2 imported another copy's): told
% of once, for all its names, in the warning that load_plugin/2 gives, instead of an error each.
user:message_hook(error(permission_error(import_into(Caller), procedure, Module:Indicator), context(_, already_from(_))),
                  error, _) :-
    math_r:import_clash(Caller, Module, Indicator).

import_clash(Caller, Module, Indicator) :-
    plugin_module(Module, Path, Exports),
    memberchk(Indicator, Exports),
    with_mutex(math_r_load,
               ( split_imports(Caller, Module, Exports, _, Clashes),
                 warn_clashes(Module, Path, Clashes) )),
    reported_clash(Module, clash(import, Caller, Indicator, _)),
    !.

prolog:message(load_plugin_clashes(Path, Clashes)) -->
    { length(Clashes, Count),
      ( Count =:= 1 -> Clash = 'predicate clashes' ; Clash = 'predicates clash' ),
      setof(Action-Module-Holder, Indicator^member(clash(Action, Module, Indicator, Holder), Clashes), Groups)
    },
    [ '~w: ~D ~w with predicates already there:'-[Path, Count, Clash] ],
    clash_groups(Groups, Clashes).

clash_groups([], _) -->
    [].
clash_groups([Action-Module-Holder|Groups], Clashes) -->
    { findall(Indicator, member(clash(Action, Module, Indicator, Holder), Clashes), [First|Indicators]) },
    [ nl, '    not ' ], clash_action(Action), [ ' ~w, which '-[Module] ], clash_holder(Module, Holder),
    [ ': ~q'-[First] ],
    indicators(Indicators),
    clash_groups(Groups, Clashes).

indicators([]) --> [].
indicators([Indicator|Indicators]) --> [ ', ~q'-[Indicator] ], indicators(Indicators).

clash_action(define) --> [ 'defined in' ].
clash_action(import) --> [ 'imported into' ].

clash_holder(Module, Module) --> !, [ 'defines them itself' ].
clash_holder(_, Holder) --> [ 'has them from ~w'-[Holder] ].

% Name/Arity as Module:Name/Arity, a built-in one redefined in Module; false when Module
% imports that name, which it cannot redefine.
define(Module, Name/Arity-Family) :-
    (   current_predicate(system:Name/Arity)
    ->  functor(Head, Name, Arity),
        redefine_system_predicate(Module:Head)
    ;   true
    ),
    catch(define_clause(Module, Name, Arity, Family),
          error(permission_error(modify, static_procedure, _), _), fail).

% Name(A1, ..., AN) :- '$math_r_call'(Family, A1, ..., AN), as a static predicate.
define_clause(Module, Name, Arity, Family) :-
    functor(Head, Name, Arity),
    Head =.. [Name|Arguments],
    Call =.. ['$math_r_call', Family|Arguments],
    assertz(Module:(Head :- math_r:Call)),
    compile_predicates([Module:Name/Arity]).

:- '$math_r_default_plugin'(Path), load_plugin(Path, math_r).
