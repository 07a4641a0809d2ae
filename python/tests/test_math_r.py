"""math_r under Debian's python3: the README's rows, kinds, errors, other plug-ins, threads and
memory. MATH_R_HOST names the host whose answers the rows must give; MATH_R_TEST_PLUGIN a second
plug-in, which the README's tables do not describe."""
import os
import re
import subprocess
import threading

import pytest

import math_r
from math_r import _math_r

HOST = os.environ.get("MATH_R_HOST")
OTHER_PLUGIN = os.environ.get("MATH_R_TEST_PLUGIN")
# Under a sanitizer, whose allocator holds freed memory back a while, its leak checker tells what
# the tests of the resident set would.
MEASURES_MEMORY = pytest.mark.skipif("SANITIZER_RUNTIME" in os.environ, reason="under a sanitizer")
# An instrumented host has its sanitizer's runtime linked in: one preloaded into this python3
# would be a second.
HOST_ENVIRONMENT = {name: value for name, value in os.environ.items() if name != "LD_PRELOAD"}

TOKEN = re.compile(r'\s*(?:"([^"]*)"|(-?\d+)|([A-Z_]\w*))\s*(?:,|$)')


def parse_call(call):
    """'floor("-2.5", K)' gives ("floor", ["-2.5", "K"]): texts as str, integers as int,
    variables as the names they are."""
    name, arguments = re.fullmatch(r"(\w+)\((.*)\)", call).groups()
    values, at = [], 0
    while at < len(arguments):
        match = TOKEN.match(arguments, at)
        text, integer, variable = match.groups()
        values.append(text if text is not None else int(integer) if integer is not None else Variable(variable))
        at = match.end()
    return name, values


class Variable(str):
    pass


def host_form(value):
    return f'"{value}"' if isinstance(value, str) else str(value)


def python_answer(symbol, arguments):
    """What math_r answers for the call, written as the host writes answers."""
    inputs = [value for value in arguments if not isinstance(value, Variable)]
    outputs = [value for value in arguments if isinstance(value, Variable)]
    result = getattr(math_r, symbol)(*inputs)
    if not outputs:
        return "true" if result is True else "false" if result is False else repr(result)
    if result is None:
        return "false"
    values = result if len(outputs) > 1 else (result,)
    return ", ".join(f"{name} = {host_form(value)}" for name, value in zip(outputs, values))


ROWS = [(row[0],) + tuple(part.strip() for part in row[4].split("→")) for row in _math_r.rows()]


@pytest.fixture(scope="module")
def host_answers():
    """The host's answer to each row's call, in one run."""
    if not HOST:
        pytest.skip("MATH_R_HOST is not set")
    run = subprocess.run([HOST] + [call for _, call, _ in ROWS], capture_output=True, text=True, check=True,
                         env=HOST_ENVIRONMENT)
    return dict(zip((call for _, call, _ in ROWS), run.stdout.splitlines()))


@pytest.mark.parametrize("symbol, call, answer", ROWS, ids=[row[0] for row in ROWS])
def test_every_row_answers_as_the_host(symbol, call, answer, host_answers):
    _, arguments = parse_call(call)
    assert python_answer(symbol, arguments) == answer == host_answers[call]


# The usual pattern of each name, and the kinds each slot takes: (call, expected).
USUAL = [
    (lambda: math_r.addR("1.5", "2.25"), "3.75000000"),
    (lambda: math_r.round("2.675", 2), "2.68000000"),
    (lambda: math_r.floor("-2.5"), -3),
    (lambda: math_r.lessR("1", "2"), True),
    (lambda: math_r.lessR("2", "1"), False),
    (lambda: math_r.sqrt("-1"), None),
    (lambda: math_r.evalR("x / y", "10", 4), "2.50000000"),
    (lambda: math_r.evalR("2^10"), "1024.00000000"),
    (lambda: math_r.evalR("x", -2147483648), "-2147483648.00000000"),
    (lambda: math_r.evalR("sqrt(x)", "-1"), None),  # reads, but has no value
    (lambda: math_r.evalR_iii("x * 2", "1.5", 3), True),
    (lambda: math_r.addR(0.1, "0"), "0.10000000"),  # a float as its shortest text
    (lambda: math_r.addR(1e20, "0"), "100000000000000000000.00000000"),
    (lambda: math_r.addR(float("nan"), "0"), "nan"),
    (lambda: math_r.addR(1099511627776, "0.5"), "1099511627776.50000000"),  # an int as its exact text
    (lambda: math_r.addR(-(2**63), "0"), "-9223372036854775808.00000000"),
    (lambda: math_r.addR(2**70, "0"), "1180591620717411303424.00000000"),
    (lambda: math_r.addR(10**5000, "0"), "inf"),  # beyond Python's decimal texts
    (lambda: math_r.round("2.5", -2147483648), "0.00000000"),
    (lambda: math_r.load_plugin(os.fsencode(_math_r.default_plugin())).addR("1", "2"), "3.00000000"),  # a bytes path
]


@pytest.mark.parametrize("call, expected", USUAL)
def test_usual_patterns_and_kinds(call, expected):
    assert call() == expected


# Each call raises the exception, whose message holds the text.
ERRORS = [
    (lambda: math_r.addR([], "1"), TypeError,
     'addR() argument 1 must be a real (a str such as "1.5", a float or an int), not list'),
    (lambda: math_r.addR("1", True), TypeError, "addR() argument 2 must be a real"),
    (lambda: math_r.addR(b"1", "1"), TypeError, "not bytes"),
    (lambda: math_r.round("2.5", 0.5), TypeError, "round() argument 2 must be an Integer (an int of 32 bits), not float"),
    (lambda: math_r.round("2.5", "2"), TypeError, "not str"),
    (lambda: math_r.round("2.5", 2**31), OverflowError, "round() argument 2 must be an Integer of 32 bits"),
    (lambda: math_r.floor_ii("2.5", -(2**31) - 1), OverflowError, "floor_ii() argument 2"),
    (lambda: math_r.evalR(3), TypeError, 'evalR() argument 1 must be a formula (a str such as "x * 2"), not int'),
    (lambda: math_r.addR("1\0", "1"), ValueError, "addR() argument 1 holds a NUL character"),
    (lambda: math_r.evalR("x\0", "1"), ValueError, "evalR() argument 1 holds a NUL character"),
    (lambda: math_r.addR("\ud800", "1"), UnicodeEncodeError, "surrogate"),
    (lambda: math_r.addR("1"), TypeError, "addR() takes 2 arguments (1 given)"),
    (lambda: math_r.addR_iii("1", "2"), TypeError, "addR_iii() takes 3 arguments (2 given)"),
    (lambda: math_r.sqrt("1", "2", "3"), TypeError, "sqrt() takes 1 argument (3 given)"),
    (lambda: math_r.evalR(), TypeError, "evalR() takes 1 to 5 arguments (0 given)"),
    (lambda: math_r.addR(X="1", Y="2"), TypeError, "addR() takes no keyword arguments"),
    (lambda: math_r.load_plugin("no/such/plugin.so"), ImportError, "no/such/plugin.so"),
    (lambda: math_r.load_plugin("/"), ImportError, "/: "),
    (lambda: type(math_r._plugin)(), TypeError, "cannot create"),
]


@pytest.mark.parametrize("call, exception, message", ERRORS)
def test_errors(call, exception, message):
    with pytest.raises(exception) as raised:
        call()
    assert message in str(raised.value)


# A formula that cannot be read raises ValueError with the host's reason and place; in the test
# patterns too, where the host answers false.
FORMULAS = [
    ("evalR", ["2 * x +", "3"]),
    ("evalR", ["log(x)", "8"]),
    ("evalR", ["x + y", "1"]),  # an operand that the pattern does not give
    ("evalR", ["nope(1)"]),
    ("evalR", ["(" * 300 + "1" + ")" * 300]),
    ("evalR", [""]),
    ("evalR_iii", ["x ** 2", "3", "9"]),
]


@pytest.mark.parametrize("name, arguments", FORMULAS)
def test_unreadable_formula_says_what_the_host_says(name, arguments):
    if not HOST:
        pytest.skip("MATH_R_HOST is not set")
    with pytest.raises(ValueError) as raised:
        getattr(math_r, name)(*arguments)
    output = name.endswith("iii") and "" or ", R"
    call = f"evalR({', '.join(host_form(a) for a in arguments)}{output})"
    run = subprocess.run([HOST, call], capture_output=True, text=True, env=dict(HOST_ENVIRONMENT, COLUMNS="80"))
    assert run.stdout == "false\n"
    assert str(raised.value) == run.stderr.removeprefix("extpred-host: call 1: ").rstrip("\n")


@pytest.mark.skipif(not OTHER_PLUGIN, reason="MATH_R_TEST_PLUGIN is not set")
def test_another_plugin_passes_kind_for_kind():
    other = math_r.load_plugin(OTHER_PLUGIN)
    assert other.echo("é日") == "é日"
    assert other.echo(-(2**31)) == -(2**31)
    assert other.echo(0.1) == "0.1"
    assert other.echo_io('"quoted"') == '"quoted"'
    assert other.lazy() is None  # held without writing
    assert other.succ(1) == 3
    with pytest.raises(OverflowError):
        other.echo(2**31)
    with pytest.raises(TypeError, match="echo\\(\\) argument 1 must be a str, an int of 32 bits or a float, not list"):
        other.echo([])
    with pytest.raises(MemoryError):
        other.grab()
    with pytest.raises(AttributeError):
        other.addR


def test_help_shows_the_rows():
    assert math_r.sqrt.__doc__.startswith("sqrt: the square root.")
    assert "sqrt_io(X, R): writes R = √X; fails when X < 0 or nan" in math_r.sqrt.__doc__
    assert math_r.sqrt.__text_signature__ == "(X, /)"


def test_threads():
    failures = []

    def work(offset):
        for k in range(20000):
            value = offset + k
            if math_r.addR(str(value), "0.5") != f"{value}.50000000" or math_r.floor(value + 0.5) != value:
                failures.append(value)

    threads = [threading.Thread(target=work, args=(n * 100000,)) for n in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


def resident_kb():
    with open("/proc/self/status", encoding="ascii") as status:
        return int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1))


@MEASURES_MEMORY
def test_no_leak_over_a_million_calls():
    def calls(count):
        for _ in range(count):
            math_r.addR("1.5", 2.25)
            math_r.sqrt_io("-1")
            math_r.evalR("x / y", 10**20, 4)
        for _ in range(count // 10):
            for bad in (lambda: math_r.addR([], "1"), lambda: math_r.evalR("2 * x +", "3")):
                try:
                    bad()
                except (TypeError, ValueError):
                    pass

    calls(100000)
    before = resident_kb()
    calls(1000000)
    # A text or a reference lost a call would be tens of megabytes.
    assert resident_kb() - before < 4000


CLINGO = os.environ.get("MATH_R_CLINGO")
IMPORT = '#script (python)\nfrom math_r.clingo import *\n#end.\n'


def clingo_run(program):
    """The sorted atoms of the answer set, or clingo's error."""
    run = subprocess.run([CLINGO, "-V0", "-"], input=program, capture_output=True, text=True)
    if run.returncode & 64 or run.stderr:  # 65: an error
        return run.stderr
    return sorted(run.stdout.splitlines()[0].split())


# A program and the atoms of its answer set, or a part of clingo's error.
CLINGO_PROGRAMS = [
    (IMPORT + 'a(@addR("1.5", "2.25")). b(@addR("1.5", 2)).', ['a("3.75000000")', 'b("3.50000000")']),
    (IMPORT + 'a(@sqrt("-1")). b :- X = @sqrt("-1"). c.', ["c"]),  # no value: no instance
    (IMPORT + 'a(@lessR("1", 2)). b(@lessR(2, "1")). c :- @equalR("0.1", "0.10000000001") = 1.', ["a(1)", "b(0)", "c"]),
    (IMPORT + 'a(@floor("-2.5")). b(@round("2.675", 2)).', ["a(-3)", 'b("2.68000000")']),
    (IMPORT + 'a(@evalR("x / y", "10", 4)). b(@evalR("2^10")).', ['a("2.50000000")', 'b("1024.00000000")']),
    (IMPORT + "a(@addR(abc, 2)).", 'addR() argument 1 must be a real (a String such as "1.5", or a Number), not Function'),
    (IMPORT + 'a(@round("2.5", "1")).', "round() argument 2 must be an Integer (a Number), not String"),
    (IMPORT + 'a(@evalR(2, "1")).', 'evalR() argument 1 must be a formula (a String such as "x * 2"), not Number'),
    (IMPORT + 'a(@addR("1", "2", "3")).', "addR() takes 2 arguments (3 given)"),
    (IMPORT + 'a(@evalR("2 * x +", "1")).', "ValueError: evalR: the formula ends early, at character 8"),
    # A million calls, read and made through clingo's C library, and errors: what they leave.
    pytest.param('#script (python)\nimport re\nimport math_r.clingo as m\nfrom clingo import Function, Number, String\n'
                 'def kb():\n    return int(re.search(r"VmRSS:\\s+(\\d+)", open("/proc/self/status").read()).group(1))\n'
                 'def calls(count):\n    a, b, c = String("1.5"), Number(2), String("-1")\n    for k in range(count):\n'
                 '        m.addR(a, b), m.sqrt(c), m.floor(a), m.lessR(a, b), m.evalR(String("x"), b)\n'
                 '        if k % 10 == 0:\n            try:\n                m.addR(Function("x"), b)\n'
                 '            except TypeError:\n                pass\n'
                 'def main(control):\n    calls(100000)\n    before = kb()\n    calls(1000000)\n'
                 '    control.add("base", [], "grown(%d)." % ((kb() - before) // 4000))\n'
                 '    control.ground([("base", [])])\n    control.solve()\n#end.\n', ["grown(0)"], marks=MEASURES_MEMORY),
    # Functions made over other symbols leave math_r.clingo's giving clingo's.
    ('#script (python)\nimport math_r.clingo as m\nfrom clingo import Number, String\n'
     'm._plugin.clingo_functions("other", str, int, str)\n'
     'def same():\n    return Number(int(type(m.addR(String("1.5"), Number(2))) is type(String(""))))\n#end.\n'
     'a(@same()).', ["a(1)"]),
    # From Python: a Control's grounding with the module as its context.
    ('#script (python)\nimport math_r.clingo\ndef main(control):\n'
     '    control.ground([("base", [])], context=math_r.clingo)\n    control.solve()\n#end.\n'
     'a(@timesR("1.5", 2)).', ['a("3.00000000")']),
]


@pytest.mark.skipif(not CLINGO, reason="MATH_R_CLINGO is not set")
@pytest.mark.parametrize("program, expected", CLINGO_PROGRAMS)
def test_clingo(program, expected):
    answer = clingo_run(program)
    if isinstance(expected, str):
        assert expected in answer
    else:
        assert answer == expected


def test_clingo_package_from_python():
    clingo = pytest.importorskip("clingo")
    import math_r.clingo as context

    control = clingo.Control()
    control.add("base", [], 'a(@addR("1.5", "2.25")). b(@sqrt("-1")).')
    control.ground([("base", [])], context=context)
    with control.solve(yield_=True) as models:
        atoms = [str(symbol) for model in models for symbol in model.symbols(atoms=True)]
    assert atoms == ['a("3.75000000")']


class FakeSymbol:
    """A symbol as clingo's Python API shows it, where its C library cannot be reached (a clingo
    package other than the clingo program's): clingo 5.4 answers None for an attribute of another
    kind of symbol, later ones raise."""

    raises = False

    def __init__(self, type, **value):
        self.type, self.value = type, value

    def __getattr__(self, name):
        if name in self.value:
            return self.value[name]
        if self.raises:
            raise RuntimeError("unexpected")
        return None

    def __eq__(self, other):
        return (self.type, self.value) == (other.type, other.value)

    def __repr__(self):
        return f"{self.type}{self.value}"


class RaisingSymbol(FakeSymbol):
    raises = True


@pytest.mark.parametrize("symbol", [FakeSymbol, RaisingSymbol])
def test_clingo_symbols_read_through_their_attributes(symbol):
    def String(text):
        return symbol("SymbolType.String", string=text)

    def Number(number):
        return symbol("SymbolType.Number", number=number)

    functions = math_r._plugin.clingo_functions("fake", String, Number, lambda name: symbol("SymbolType.Function", name=name))
    assert functions["addR"](String("1.5"), Number(2)) == String("3.50000000")
    assert functions["floor"](String("-2.5")) == Number(-3)
    assert functions["round"](String("2.675"), Number(2)) == String("2.68000000")
    assert functions["lessR"](Number(1), String("2")) == Number(1)
    assert functions["sqrt"](String("-1")) == []
    with pytest.raises(TypeError, match="round\\(\\) argument 2 must be an Integer \\(a Number\\), not String"):
        functions["round"](String("2.5"), String("1"))
    with pytest.raises(TypeError, match="addR\\(\\) argument 1 must be a real .*, not Function"):
        functions["addR"](symbol("SymbolType.Function", name="abc"), Number(1))
    with pytest.raises(TypeError, match="addR\\(\\) argument 1 must be a clingo symbol, not float"):
        functions["addR"](1.5, Number(1))
