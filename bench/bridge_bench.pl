% addR/3 and sqrt/2 through library(math_r) against SWI-Prolog's own way of doing the same on
% the same strings: number_string/2, is/2 and format(string(S), "~8f", [V]). One process,
% the four loops in alternating rounds; each time is net of an empty loop over the same list
% timed in the same round. Prints ns per call (median of the rounds) and bridge/own, and fails
% (exit status 1) when a ratio misses the goal.
%   swipl -p foreign=build -p library=prolog bench/bridge_bench.pl [Rounds]
:- use_module(library(math_r)).
:- use_module(library(apply)).
:- use_module(library(lists)).

% 1000 reals as a rule program writes them: 1 to 7 whole digits, 1 to 6 decimals.
inputs(Pairs) :-
    numlist(1, 1000, Ns),
    maplist(pair, Ns, Pairs).

pair(N, A-B) :- real_text(N, A), real_text(N * 7 + 3, B).

real_text(Seed, Text) :-
    Whole is (Seed * 7919) mod (10 ^ (1 + Seed mod 7)),
    Places is 1 + Seed mod 6,
    Fraction is (Seed * 104729) mod (10 ^ Places),
    format(string(Digits), "~`0t~d~*|", [Fraction, Places]),
    format(string(Text), "~d.~s", [Whole, Digits]).

bridge(add, A-B) :- addR(A, B, _).
bridge(sqrt, A-_) :- sqrt(A, _).

own(add, A-B) :-
    number_string(X, A), number_string(Y, B),
    Z is X + Y,
    format(string(_), "~8f", [Z]).
own(sqrt, A-_) :-
    number_string(X, A),
    Z is sqrt(X),
    format(string(_), "~8f", [Z]).

empty(_).

% Seconds for Repeats passes of Goal over every pair.
time_loop(Goal, Pairs, Repeats, Seconds) :-
    get_time(T0),
    forall(between(1, Repeats, _), forall(member(P, Pairs), call(Goal, P))),
    get_time(T1),
    Seconds is T1 - T0.

% ns per call of each loop in one round, net of the empty loop.
timed_round(Pairs, Repeats, Times) :-
    length(Pairs, N),
    Calls is N * Repeats,
    time_loop(empty, Pairs, Repeats, Empty),
    findall(Name-Ns,
            ( member(Name, [bridge(add), own(add), bridge(sqrt), own(sqrt)]),
              time_loop(Name, Pairs, Repeats, Seconds),
              Ns is (Seconds - Empty) * 1.0e9 / Calls ),
            Times).

median(Values, Median) :-
    msort(Values, Sorted),
    length(Sorted, N),
    Middle is N // 2,
    nth0(Middle, Sorted, Median).

main :-
    current_prolog_flag(argv, Argv),
    (   Argv = [RoundsText|_] -> atom_number(RoundsText, Rounds) ; Rounds = 15 ),
    inputs(Pairs),
    forall(member(P, Pairs), (own(add, P), bridge(add, P))),     % warm up, and both must work
    findall(Times, (between(1, Rounds, _), timed_round(Pairs, 20, Times)), AllRounds),
    format("library(math_r) against SWI-Prolog's number_string, is and format ~~8f, ns per call,~n"),
    format("median of ~d alternating rounds of 20,000 calls each; goal: bridge/own <= 0.50~n~n", [Rounds]),
    format("~w~t~12|~w~t~24|~w~t~36|~w~t~50|~w~n", [predicate, bridge, own, 'bridge/own', goal]),
    findall(Met,
            ( member(Op-Name, [add-'addR/3', sqrt-'sqrt/2']),
              median_of(AllRounds, bridge(Op), Bridge),
              median_of(AllRounds, own(Op), Own),
              Ratio is Bridge / Own,
              ( Ratio =< 0.5 -> Met = met ; Met = 'MISSED' ),
              format("~w~t~12|~1f~t~24|~1f~t~36|~2f~t~50|~w~n", [Name, Bridge, Own, Ratio, Met]) ),
            Goals),
    \+ memberchk('MISSED', Goals).

median_of(AllRounds, Key, Median) :-
    findall(Ns, (member(Times, AllRounds), memberchk(Key-Ns, Times)), Values),
    median(Values, Median).

:- initialization(main, main).
