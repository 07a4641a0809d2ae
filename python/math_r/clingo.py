"""math_R.so's predicates as clingo's external functions.

In a clingo program,

    #script (python)
    from math_r.clingo import *
    #end.

makes every predicate name callable as @name(...), over its usual pattern: a String is a real's
text, a Number an Integer (in a real's slot, its exact value); a real comes back as a String, an
Integer as a Number; a failing output pattern gives no value, dropping the rule instance; a test
gives Number(1) when it holds, Number(0) when not. From Python, pass this module as the context:
Control.ground([("base", [])], context=math_r.clingo).
"""
try:  # clingo 5.5 on
    from clingo.symbol import Function as _Function, Number as _Number, String as _String
except ImportError:  # clingo 5.4
    from clingo import Function as _Function, Number as _Number, String as _String

from . import _plugin

_functions = _plugin.clingo_functions(__name__, _String, _Number, _Function)
globals().update(_functions)
__all__ = sorted(_functions)
del _functions
