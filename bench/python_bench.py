"""math_r.addR(a, b) against what a Python user writes today, '%.8f' % (float(a) + float(b)), on
the same 1000 strings: one process, the loops in alternating rounds, each time net of an empty
loop over the same pairs timed in the same round. Prints CPU ns per call (median of the rounds) and
ours/theirs, and fails (exit status 1) when the ratio misses the goal, at most half.
  PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [ROUNDS]"""
import statistics
import sys
import time

import math_r

GOAL = 0.5
REPEATS = 200


def real_text(seed):
    """A real as a rule program writes it: 1 to 7 whole digits, 1 to 6 decimals."""
    places = 1 + seed % 6
    whole = (seed * 7919) % 10 ** (1 + seed % 7)
    return f"{whole}.{(seed * 104729) % 10 ** places:0{places}d}"


PAIRS = [(real_text(n), real_text(n * 7 + 3)) for n in range(1, 1001)]


def ours(pairs, add=math_r.addR):
    for a, b in pairs:
        add(a, b)


def theirs(pairs):
    for a, b in pairs:
        "%.8f" % (float(a) + float(b))


def empty(pairs):
    for a, b in pairs:
        pass


def seconds(loop):
    start = time.process_time()  # CPU time: steadier than the clock on a shared machine
    for _ in range(REPEATS):
        loop(PAIRS)
    return time.process_time() - start


def main(rounds):
    assert math_r.addR("1.5", "2.25") == "%.8f" % (float("1.5") + float("2.25"))
    times = {"math_r.addR(a, b)": [], "'%.8f' % (float(a) + float(b))": []}
    for _ in range(rounds):
        for name, loop in zip(times, (ours, theirs)):
            net = seconds(loop) - seconds(empty)
            times[name].append(net / (REPEATS * len(PAIRS)) * 1e9)
    medians = [statistics.median(values) for values in times.values()]
    print("| Python, CPU ns per call (median of %d rounds) | ns |" % rounds)
    print("|---|---|")
    for name, median in zip(times, medians):
        print(f"| `{name}` | {median:.0f} |")
    ratio = medians[0] / medians[1]
    print(f"| ours / theirs (goal: at most {GOAL}) | {ratio:.2f} |")
    return 0 if ratio <= GOAL else 1


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 15))
