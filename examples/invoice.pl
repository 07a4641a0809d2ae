% An invoice as a new user writes it, quantities as plain integers and prices as decimal
% strings: each line's amount with timesR, their sum with foldl and addR, the tax of a whole
% percentage with evalR, rounded to cents with round.
%   swipl -p foreign=build -p library=prolog examples/invoice.pl   (from a build)
%   swipl /usr/share/doc/swi-prolog-math-r/examples/invoice.pl      (installed)
:- use_module(library(math_r)).
:- use_module(library(apply)).

% line(Item, Quantity, UnitPrice)
line(notebook, 3, "2.49").
line(pen, 12, "0.85").
line(stapler, 1, "7.9").
line(paper, 5, "4.15").

tax_percent(20).

amount(Item-Amount) :-
    line(Item, Quantity, Price),
    timesR(Quantity, Price, Amount).

add(Amount, Sum0, Sum) :- addR(Sum0, Amount, Sum).

main :-
    findall(Line, amount(Line), Lines),
    forall(( member(Item-Amount, Lines), line(Item, Quantity, Price) ),
           format("~w~t~10|~t~d~14| x ~w~t~t~w~36|~n", [Item, Quantity, Price, Amount])),
    pairs_values(Lines, Amounts),
    foldl(add, Amounts, "0", Subtotal),
    tax_percent(Percent),
    evalR("x * y / 100", Subtotal, Percent, Tax0),
    round(Tax0, 2, Tax),
    addR(Subtotal, Tax, Total),
    format("subtotal~t~w~36|~ntax ~d%~t~w~36|~ntotal~t~w~36|~n", [Subtotal, Percent, Tax, Total]).

:- initialization(main, main).
