"""Grounding 200,000 @addR calls in clingo through math_r.clingo, against the same program with
the external function that clingo's users write today, and with an identity function, which
costs what all share (the grounding, Python's calls, the solving). A fourth program's function
only makes a new String, as any function that returns a real must: what clingo itself costs
that. Alternating runs of the programs, medians of each one's CPU time, and
(ours - identity) / (theirs - identity); fails (exit status 1) when that misses the goal, at
most half.
  PYTHONPATH=build/python /usr/bin/python3 bench/clingo_bench.py [ROUNDS]"""
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile

from python_bench import real_text

GOAL = 0.5
CALLS = 200000

SCRIPTS = {
    "math_r.clingo": "from math_r.clingo import addR\n",
    "by hand": "from clingo import String\n"
               "def addR(a, b):\n"
               "    return String('%.8f' % (float(a.string) + float(b.string)))\n",
    "identity": "def addR(a, b):\n    return a\n",
    # For reference: what clingo itself costs a function that makes a new String and no more.
    "a new String": "from clingo import String\n"
                    "def addR(a, b):\n"
                    "    return String(a.string + '0')\n",
}
RULE = 'sum(K, @addR(X, "0.5")) :- real(K, X).\n#show.\n'


def child_seconds(command):
    """The CPU time (user and system) that the command took: on a machine shared with other
    work, far steadier than the time on the clock."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    status = subprocess.run(command, stdout=subprocess.DEVNULL, check=False).returncode
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if status not in (10, 20, 30):  # clingo's answers: satisfiable, unsatisfiable, exhausted
        raise SystemExit(f"clingo_bench: {' '.join(command)} failed ({status})")
    return after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def run(clingo, folder, rounds):
    """Each program's CPU times, the programs and their facts written in `folder`."""
    facts = os.path.join(folder, "facts.lp")
    with open(facts, "w", encoding="ascii") as out:
        out.writelines(f'real({k}, "{real_text(k)}").\n' for k in range(CALLS))
    programs = {}
    for name, script in SCRIPTS.items():
        programs[name] = os.path.join(folder, name.replace(" ", "_") + ".lp")
        with open(programs[name], "w", encoding="ascii") as out:
            out.write("#script (python)\n" + script + "#end.\n" + RULE)
    times = {name: [] for name in SCRIPTS}
    for _ in range(rounds):
        for name, program in programs.items():
            times[name].append(child_seconds([clingo, "-q", program, facts]))
    return times


def main(rounds):
    clingo = shutil.which("clingo")
    if clingo is None:
        print("clingo_bench: no clingo (Debian: gringo)", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory(prefix="clingo_bench") as folder:
        times = run(clingo, folder, rounds)
    medians = {name: statistics.median(values) for name, values in times.items()}
    print(f"| clingo, {CALLS} @addR calls (median of {rounds} runs) | CPU s |")
    print("|---|---|")
    for name, median in medians.items():
        print(f"| {name} | {median:.3f} |")
    identity = medians["identity"]
    ratio = (medians["math_r.clingo"] - identity) / (medians["by hand"] - identity)
    print(f"| (ours - identity) / (theirs - identity) (goal: at most {GOAL}) | {ratio:.2f} |")
    print(f"| (a new String - identity) / (theirs - identity) | {(medians['a new String'] - identity) / (medians['by hand'] - identity):.2f} |")
    return 0 if ratio <= GOAL else 1


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 9))
