"""Writes math_r's stub, the signatures of its functions for editors, from the functions that
the built module makes of the README's table of predicates.
usage: write_stub.py OUTPUT"""
import sys

del sys.path[0]  # this script's folder, which holds the package's sources without the extension
import math_r  # noqa: E402
from math_r import _math_r  # noqa: E402

REAL = "Real"


# What a slot takes, by the letter of rows()' kinds, as a type of Python's.
TYPES = {"r": REAL, "n": REAL, "i": "int", "f": "str"}


def signature(name, symbol, slots, letters):
    pattern = symbol.rsplit("_", 1)[1]
    names = [slot.split(" ")[0] for slot in slots.split(", ")]
    kinds = [TYPES[letter] for letter in letters]
    given = [f"{n}: {k}" for n, k, letter in zip(names, kinds, pattern) if letter == "i"]
    outputs = ["int" if k == "int" else "str" for k, letter in zip(kinds, pattern) if letter == "o"]
    if not outputs:
        returned = "bool"
    elif len(outputs) == 1:
        returned = f"Optional[{outputs[0]}]"
    else:
        returned = f"Optional[Tuple[{', '.join(outputs)}]]"
    return f"def {name}({', '.join(given + ['/'])}) -> {returned}: ..."


def main(output):
    rows = {row[0]: row for row in _math_r.rows()}
    lines = [
        "# The functions of math_r, written from the README's table of predicates.",
        "from types import ModuleType",
        "from typing import Optional, Tuple, Union, overload",
        "",
        f"{REAL} = Union[str, float, int]",
        "",
        "def load_plugin(path: str, name: Optional[str] = None) -> ModuleType: ...",
    ]
    for symbol, row in rows.items():
        lines.append(signature(symbol, symbol, row[1], row[5]))
    for name, symbols in sorted(math_r._plugin.calls().items()):
        for symbol in symbols:
            if len(symbols) > 1:
                lines.append("@overload")
            lines.append(signature(name, symbol, rows[symbol][1], rows[symbol][5]))
    with open(output, "w", encoding="utf-8") as stub:
        stub.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
