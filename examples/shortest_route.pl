% Shortest routes over a map of roads whose lengths are reals, with math_R's predicates in
% SWI-Prolog: every route is found by backtracking, its length summed with addR, the shortest
% chosen with lessR, and the fuel it takes computed with timesR and round.
%   swipl -p foreign=build -p library=prolog examples/shortest_route.pl   (from a build)
%   swipl /usr/share/doc/swi-prolog-math-r/examples/shortest_route.pl      (installed)
:- use_module(library(math_r)).
:- use_module(library(apply)).

road(depot, farm, "1.5").
road(depot, mill, "4.25").
road(farm, mill, "2.125").
road(farm, market, "7.3").
road(mill, market, "3.05").
road(mill, harbour, "6.2").
road(market, harbour, "1.75").

litres_per_km("0.085").

connected(A, B, Length) :- road(A, B, Length).
connected(A, B, Length) :- road(B, A, Length).

% route(+From, +To, -Stops, -Length): a way without a place twice, and its length.
route(From, To, [From|Stops], Length) :-
    walk(From, To, [From], Stops, "0", Length).

walk(To, To, _, [], Length, Length).
walk(At, To, Seen, [Next|Stops], SoFar, Length) :-
    connected(At, Next, Road),
    \+ memberchk(Next, Seen),
    addR(SoFar, Road, Further),
    walk(Next, To, [Next|Seen], Stops, Further, Length).

shortest(From, To, Stops, Length) :-
    findall(L-S, route(From, To, S, L), [First|Others]),
    foldl(shorter, Others, First, Length-Stops).

shorter(L-S, Best0-Stops0, Best) :-
    (   lessR(L, Best0)
    ->  Best = L-S
    ;   Best = Best0-Stops0
    ).

main :-
    litres_per_km(Rate),
    forall(member(To, [mill, market, harbour]),
           ( aggregate_all(count, route(depot, To, _, _), Count),
             shortest(depot, To, Stops, Length),
             timesR(Length, Rate, Fuel0), round(Fuel0, 2, Fuel),
             atomic_list_concat(Stops, ' - ', Way),
             format("~w: ~w km over ~w (~d routes), ~w l~n", [To, Length, Way, Count, Fuel]) )).

:- initialization(main, main).
