% The examples of the guide docs/swi-prolog.md, as written there, with the answers it gives:
% install_test.sh runs them against the installed library(math_r), with the page's rule
% program loaded beside, in a folder where build/ is the build. Prints each example that does
% not answer as the guide says, and halts with 1 if any.
:- use_module(library(math_r)).

% Goal holds and binds X to the value shown; `true` where it binds nothing.
answer(shortest(a, c, D), D, "3.75000000").
answer(addR("1.5", "2.25", X), X, "3.75000000").
answer(addR(X, "2", "5"), X, "3.00000000").
answer(addR("1", "2", "3"), _, true).
answer(sqrt(2, X), X, "1.41421356").
answer(addR(1099511627776, "0.5", X), X, "1099511627776.50000000").
answer(lessR(1, 2), _, true).
answer((quintus_too:use_module(library(math_r), except([sqrt/2])), math_r:sqrt("2", R)), R, "1.41421356").
answer((load_plugin(foreign(math_R), m2), m2:addR("1", "2", X)), X, "3.00000000").
answer((use_module(library(math_r)), load_plugin('build/math_R.so', newbuild)), _, true).
answer(newbuild:addR("1.5", "2.25", X), X, "3.75000000").
answer((first:use_module(library(math_r), [load_plugin/2]), first:load_plugin(foreign(math_R), m1),
        first:use_module(library(math_r)), call(first:addR("1", "2", X))), X, "3.00000000").

% Goal raises error(Formal, context(_, Message)), Formal subsumed by Expected and Message holding
% Says.
raises(addR(_, _, "1"), instantiation_error, "addR has addR_iii, addR_iio, addR_ioi and addR_oii").
raises(sqrt(_, "2"), instantiation_error, "sqrt has sqrt_ii and sqrt_io: the first argument must be given").
raises(addR(abc, "1", _), type_error(real, abc), "").
raises(round("2.5", 0.5, _), type_error(integer, 0.5), "").
raises(evalR("log(x)", 8, _),
       syntax_error("log at character 1 takes 2 arguments (base, value); for one argument, ln, log2 or log10"), "").

% A goal that the guide says fails.
fails(evalR("sqrt(x)", "-1", _)).

wrong(answer(Goal)) :-
    answer(Goal, X, Expected),
    \+ ( catch(Goal, _, fail), ( Expected == true -> true ; X == Expected ) ).
wrong(raises(Goal)) :-
    raises(Goal, Expected, Says),
    \+ ( catch(Goal, error(Formal, Context), true), nonvar(Formal),
         subsumes_term(Expected, Formal),
         ( Says == "" -> true ; Context = context(_, Message), sub_string(Message, _, _, _, Says) ) ).
wrong(fails(Goal)) :-
    fails(Goal),
    \+ \+ catch(Goal, _, true).

check :-
    findall(Wrong, wrong(Wrong), Wrongs),
    forall(member(Wrong, Wrongs), print_message(error, format("not as docs/swi-prolog.md says: ~q", [Wrong]))),
    ( Wrongs == [] -> true ; halt(1) ).
