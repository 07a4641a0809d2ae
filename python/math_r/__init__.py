"""Real-number arithmetic of math_R.so, the rule engine's plug-in, in Python.

A real is passed as a str of decimal text ("1.5"), a float or an int, and comes back as a str
with exactly 8 decimals; an Integer (round's decimals, floor's and ceil's results) is an int.

Every predicate of the plug-in is a function of the same name: addR_iio("1.5", "2.25") takes the
i slots in order and returns the o slots ("3.75000000"), None when the predicate fails; a test,
addR_iii("0.1", "0.2", "0.3"), returns True or False. Every predicate name is a function too,
over its usual pattern (the last slot the output, else the test): addR("1.5", "2.25"),
lessR("1", "2"), evalR("x / y", "10", 4). help(math_r.NAME) shows its patterns.
"""
import os as _os
import types as _types

from . import _math_r


def load_plugin(path, name=None):
    """Loads the plug-in at path (any plug-in of the engine's interface) and returns a module
    whose functions are its predicates, as math_r's are math_R.so's. ImportError says why a file
    is none."""
    path = _os.fspath(path)
    module = _types.ModuleType(name or _os.path.splitext(_os.path.basename(_os.fsdecode(path)))[0])
    module.__dict__.update(_math_r.load(path).functions(module.__name__))
    module.__all__ = sorted(name for name in module.__dict__ if not name.startswith("_"))
    return module


_plugin = _math_r.load(_math_r.default_plugin())
_functions = _plugin.functions(__name__)
globals().update(_functions)
__all__ = sorted(_functions) + ["load_plugin"]
del _functions
