% The bridge under SWI-Prolog: modes, kinds, errors, threads and memory, with math_R.so and with
% a second plug-in (MATH_R_TEST_PLUGIN) loaded beside it.
:- use_module(library(plunit)).
:- use_module(library(math_r)).
:- use_module(library(thread)).
:- use_module(library(process)).
:- use_module(library(rlimit)).

:- initialization((getenv('MATH_R_TEST_PLUGIN', Path), load_plugin(Path, other))).

% The clashes that load_plugin/2 warns of, kept instead of printed.
:- dynamic clash_warning/1.
:- multifile user:message_hook/3.
user:message_hook(load_plugin_clashes(_, Clashes), warning, _) :-
    assertz(clash_warning(Clashes)).

:- begin_tests(math_r).

% Each goal holds and gives its variable the value shown; `fails` where the goal fails.
answer(addR("1.5", "2.25", X), X, "3.75000000").
answer(addR(X, "2", "5"), X, "3.00000000").
answer(addR("2", X, "5"), X, "3.00000000").
answer(addR("0.1", "0.2", "0.3"), _, true).
answer(addR("0.1", "0.2", "0.4"), _, fails).
answer(addR(1.5, "2", X), X, "3.50000000").
answer(addR(0.1, "0", X), X, "0.10000000").
answer(addR(1.0e20, "0", X), X, "100000000000000000000.00000000").
answer(floor("-2.5", X), X, -3).
answer(round("1.005", 2, X), X, "1.01000000").
answer(sqrt("-1", X), X, fails).
answer(sqrt(2, X), X, "1.41421356").         % an integer is a real, of any size
answer(addR(1099511627776, "0.5", X), X, "1099511627776.50000000").
answer(addR(-9223372036854775808, "0", X), X, "-9223372036854775808.00000000").
answer(addR(1180591620717411303424, "0", X), X, "1180591620717411303424.00000000"). % 2^70
answer(lessR(1, 2), _, true).
answer(floor("2.5", 2), _, true).
answer(evalR('x / y', "10", 4, X), X, "2.50000000").   % a formula is a string or an atom
answer(evalR("x * 2", "1.5", 3), _, true).
answer(evalR("x", -2147483648, X), X, "-2147483648.00000000").
answer(evalR("sqrt(x)", -1, X), X, fails).           % a formula that reads but has no value
answer(evalR("x * 2", "1.5", 4), _, fails).
answer(lessR("1", "2"), _, true).
answer(lessR("2", "1"), _, fails).
answer(greaterEqR("2", "2.000000001"), _, true).
answer(minR("-1", "2", X), X, "-1.00000000").
answer(sqrt("nan", X), X, fails).
answer(addR("nan", "1", X), X, "nan").
answer(equalR("nan", "nan"), _, fails).
answer(other:echo("\"quoted\"", X), X, "\"quoted\"").
answer(other:echo("é日\u0001", X), X, "é日\u0001").
answer(other:echo('a b', X), X, 'a b').
answer(other:echo("é", X), X, "é").            % Latin-1, and a character of 4 UTF-8 bytes
answer(other:echo('\x1F600\é', X), X, '\x1F600\é').
answer(other:echo([], X), X, '[]').
answer(other:echo(-2147483648, X), X, -2147483648).
answer(other:echo(0.1, X), X, "0.1").
answer(other:lazy(X), X, unbound).
answer(other:succ(1, X), X, 3).
answer(succ(1, X), X, 2).
answer((aliased:load_plugin(foreign(math_R), aliased), aliased:sqrt("4", X)), X, "2.00000000").
answer((load_plugin(foreign(test_plugin), searched), searched:echo(a, X)), X, a). % on LD_LIBRARY_PATH

test(answers, forall(answer(Goal, X, Expected))) :-
    (   call(Goal)
    ->  (   var(X)
        ->  ( Expected == true -> true ; assertion(Expected == unbound) )
        ;   assertion(X == Expected)
        )
    ;   assertion(Expected == fails),
        assertion(var(X))
    ).

% Each goal raises an error(Formal, _) that subsumes Expected.
raises(addR(_, _, "1"), instantiation_error).
raises(addR(abc, "1", _), type_error(real, abc)).        % a slot of a real takes no atom
raises(addR('1.5', "1", _), type_error(real, '1.5')).
raises(addR([], "1", _), type_error(real, [])).
raises(addR(f(x), "1", _), type_error(real, f(x))).
raises(addR([a], "1", _), type_error(real, [a])).
raises(addR(1r3, "1", _), type_error(real, 1r3)).
raises(round("2.5", 0.5, _), type_error(integer, 0.5)).  % nor does an Integer's take a real
raises(round("2.5", "0", _), type_error(integer, "0")).
raises(floor("2.5", 2.0), type_error(integer, 2.0)).
raises(round("2.5", a, _), type_error(integer, a)).
raises(round("2.5", 2147483648, _), representation_error(int)).
raises(evalR(3, _), type_error(formula, 3)).
raises(evalR([], _), type_error(formula, [])).
raises(evalR("log(x)", 8, _),                          % a formula that cannot be read
       syntax_error("log at character 1 takes 2 arguments (base, value); for one argument, ln, log2 or log10")).
raises(evalR("x / y", 2, _), syntax_error("the operand y at character 5 is not given: evalR_iio gives only x")).
raises(other:echo(f(x), _), type_error(extpred_term, f(x))). % another plug-in's slot takes any
raises(other:echo(2147483648, _), type_error(extpred_term, 2147483648)).
raises(other:echo(1r3, _), type_error(extpred_term, 1r3)).
raises(addR("1\u0000", "1", _), representation_error(_)).
raises(evalR('x\u0000', "1", _), representation_error(_)).
raises(other:grab(_), resource_error(memory)).
raises(load_plugin('no/such/plugin.so', nowhere), existence_error(file, _)).
raises((absolute_file_name(foreign(math_r4pl), P, [file_type(executable), access(read)]),
        load_plugin(P, nowhere)), domain_error(extpred_plugin, _)).
raises(load_plugin(f(x), nowhere), domain_error(file_spec, f(x))).
raises(load_plugin('.', nowhere), domain_error(extpred_plugin, _)).
raises((getenv('MATH_R_TEST_PLUGIN', P), load_plugin(P, math_r)), permission_error(modify, module, math_r)).

raises((plugin_copy(e_shentsize, [0, 0], P), load_plugin(P, nowhere)), domain_error(extpred_plugin, _)).

test(errors, forall(raises(Goal, Expected))) :-
    catch((call(Goal), Formal = none), error(Formal, _), true),
    assertion(subsumes_term(Expected, Formal)).

% math_R.so copied into a temporary file with Bytes written over the ELF header's Field: the
% size of a section header entry, which the loader never reads.
plugin_copy(e_shentsize, Bytes, Copy) :-
    (   current_prolog_flag(address_bits, 64) -> Offset = 58 ; Offset = 46 ),
    absolute_file_name(foreign(math_R), Plugin, [file_type(executable), access(read)]),
    read_file_to_codes(Plugin, Codes, [type(binary)]),
    length(Before, Offset),
    length(Bytes, Length), length(Replaced, Length),
    append([Before, Replaced, After], Codes),
    append([Before, Bytes, After], Altered),
    tmp_file_stream(binary, Copy, Out),
    maplist(put_byte(Out), Altered),
    close(Out).

% What a plug-in is given of a text holding the character Code, byte for byte, at each end of
% each length of UTF-8; as a string and as an atom, alone (held narrow, in Latin-1, where it is
% one) and beside U+0100 (held wide).
utf8(0x7F, "7f").
utf8(0x80, "c2 80").
utf8(0x7FF, "df bf").
utf8(0x800, "e0 a0 80").
utf8(0xFFFF, "ef bf bf").
utf8(0x10000, "f0 90 80 80").
utf8(0x10FFFF, "f4 8f bf bf").

test(utf8, forall(( utf8(Code, Bytes), member(Kind, [string, atom]), member(Beside, [[], [0x100]]) ))) :-
    (   Kind == string -> string_codes(Text, [Code|Beside]) ; atom_codes(Text, [Code|Beside]) ),
    other:bytes(Text, Given),
    (   Beside == [] -> Expected = Bytes ; string_concat(Bytes, " c4 80", Expected) ),
    assertion(Given == Expected).

% Loading warns once, with Clashes, of what was neither defined nor imported, defines and imports
% the rest, and leaves what was there: then Holds.
clashing(user:load_plugin(foreign(math_R), newbuild), Clashes,
         ( memberchk(clash(import, user, acos/2, math_r), Clashes),
           newbuild:acos("1", "0"), predicate_property(user:acos(_, _), imported_from(math_r)) )).
clashing(user:load_plugin(foreign(math_R), user), Clashes,
         ( memberchk(clash(define, user, acos/2, math_r), Clashes),
           predicate_property(user:acos(_, _), imported_from(math_r)) )).
clashing(( assertz(mine:echo(mine, mine)), assertz(theirs:grab(mine)),
           getenv('MATH_R_TEST_PLUGIN', P), mine:load_plugin(P, theirs) ), Clashes,
         ( Clashes == [clash(define, theirs, grab/1, theirs), clash(import, mine, echo/2, mine)],
           theirs:echo(a, A), A == a, theirs:grab(mine), mine:echo(mine, mine),
           predicate_property(mine:lazy(_), imported_from(theirs)) )).
clashing(( assertz(calls_linked :- linked:sqrt("4", _)), % names linked:sqrt/2 before it is there
           linked:use_module(library(math_r), [addR/3]),
           linked:load_plugin(foreign(math_R), linked) ), Clashes,
         ( Clashes == [clash(define, linked, addR/3, math_r)],
           predicate_property(linked:sqrt(_, _), implementation_module(linked)) )).
clashing(( user:load_plugin(foreign(math_R), twice), user:load_plugin(foreign(math_R), twice) ), Clashes,
         memberchk(clash(import, user, acos/2, math_r), Clashes)).   % a reload that changes nothing is silent
clashing(( ordered:use_module(library(math_r), [load_plugin/2]),      % the library after another copy
           ordered:load_plugin(foreign(math_R), first), ordered:use_module(library(math_r)) ), Clashes,
         ( memberchk(clash(import, ordered, acos/2, first), Clashes),
           predicate_property(ordered:acos(_, _), imported_from(first)),
           predicate_property(ordered:load_plugin(_, _), imported_from(math_r)) )).

test(clashes, forall(clashing(Load, Clashes, Holds))) :-
    retractall(user:clash_warning(_)),
    call(Load),
    findall(Warned, user:clash_warning(Warned), Warnings),
    assertion(length(Warnings, 1)),
    Warnings = [Clashes|_],
    assertion(Holds).

% Loading the plug-in that a module holds again redefines nothing, so a thread calling it meanwhile
% never finds a predicate undefined.
test(reload_while_calling) :-
    nth_clause(math_r:addR(_, _, _), 1, Clause),
    message_queue_create(Stop),
    thread_self(Main),
    thread_create(call_until_stopped(Main, Stop), Caller, []),
    thread_get_message(called),
    forall(between(1, 100, _), load_plugin(foreign(math_R), math_r)),
    thread_send_message(Stop, stop),
    thread_join(Caller, Status),
    message_queue_destroy(Stop),
    assertion(Status == true),
    assertion(nth_clause(math_r:addR(_, _, _), 1, Clause)).

% True when every call answered until Stop came; false at the first that did not.
call_until_stopped(Main, Stop) :-
    catch(addR("1.5", "2.25", _), _, true),
    thread_send_message(Main, called),
    repeat,
    (   addR("1.5", "2.25", X), X == "3.75000000"
    ->  thread_peek_message(Stop, stop)
    ;   !, fail
    ),
    !.

test(missing_pattern_named) :-
    catch(sqrt(_, "2"), error(instantiation_error, context(_, Message)), true),
    assertion(sub_string(Message, _, _, _, "no predicate sqrt_oi in math_R.so; sqrt has sqrt_ii and sqrt_io: the first argument must be given")).

test(huge_texts) :-
    length(Zeros, 1000000), maplist(=(0'0), Zeros),
    string_codes(Tail, Zeros),
    string_concat("1.5", Tail, Long),
    addR(Long, "1", X), assertion(X == "2.50000000"),
    other:echo(Long, Back), assertion(Back == Long),
    addR("1e300", "0", Wide), string_length(Wide, Length), assertion(Length =:= 310).

test(threads) :-
    concurrent_forall(between(1, 20000, I),
                      ( number_string(I, S), addR(S, "0.5", X), other:echo(S, E), E == S,
                        number_string(V, X), V =:= I + 0.5 ),
                      [threads(4)]).

% The process's resident set (VmRSS:) or address space (VmSize:).
status_kb(Field, KB) :-
    read_file_to_string('/proc/self/status', Status, []),
    once(sub_string(Status, B, _, _, Field)), sub_string(Status, B, 40, _, Line),
    split_string(Line, " \t\n", " \t\n", [_, Text|_]), number_string(KB, Text).

% A leak of one text a call would be tens of megabytes. Under a sanitizer (SANITIZER_RUNTIME),
% whose allocator holds freed memory back a while, its leak checker tells instead.
test(no_leak, [condition(\+ getenv('SANITIZER_RUNTIME', _))]) :-
    forall(between(1, 100000, _), (addR("1.5", "2.25", _), other:echo("x", _))),
    garbage_collect, status_kb("VmRSS:", Before),
    forall(between(1, 1000000, _), (addR("1.5", "2.25", _), other:echo("x", _))),
    garbage_collect, status_kb("VmRSS:", After),
    assertion(After - Before < 8000).

% A text of 33 million characters beyond Latin-1 (99 MB as UTF-8) in each of five slots, with
% the address space limited to 100 MB above what the process has: its copies cannot all be made,
% and the call raises resource_error(memory) instead of ending the process. Run by
% test(out_of_memory) in a child swipl.
out_of_memory :-
    format(string(Text), "~`\x65E5\t~*|", [33000000]),
    garbage_collect,
    status_kb("VmSize:", KB),
    Limit is (KB + 100000) * 1024,
    rlimit(as, _, Limit),
    catch((evalR(Text, Text, Text, Text, Text, _), Formal = none), error(Formal, _), true),
    print(Formal).

% Not under a sanitizer (SANITIZER_RUNTIME), whose allocator ends the process instead.
test(out_of_memory, [condition(\+ getenv('SANITIZER_RUNTIME', _))]) :-
    current_prolog_flag(executable, Swipl),
    absolute_file_name(foreign(math_r4pl), Foreign, [file_type(executable), access(read)]),
    module_property(math_r, file(Library)),
    source_file(out_of_memory, Tests),
    file_directory_name(Foreign, ForeignDir),
    file_directory_name(Library, LibraryDir),
    format(atom(ForeignPath), "foreign=~w", [ForeignDir]),
    format(atom(LibraryPath), "library=~w", [LibraryDir]),
    context_module(Unit),
    format(atom(Goal), "~q:out_of_memory", [Unit]),
    process_create(Swipl, ['-q', '-p', ForeignPath, '-p', LibraryPath, '-g', Goal, '-t', halt, Tests],
                   [stdout(pipe(Out)), process(Child)]),
    read_string(Out, _, Answer),
    close(Out),
    process_wait(Child, Status),
    assertion(Status == exit(0)),
    assertion(Answer == "resource_error(memory)").

:- end_tests(math_r).
