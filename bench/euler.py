#!/usr/bin/python3
"""Checks the Euler characteristic of every whole degree of charts.

  euler.py CHART.json ...

For each degree of each JSON chart written by curtis-chart (without
--max-filtration), the alternating sum of the survivors over the levels must
equal that of the sizes of the levels: each pairing takes one generator from
two adjacent levels. The sizes are counted here, independently of the
program: a word of level L in degree t of P_a^b is a cell c (a <= c <= b)
and an admissible sequence of L lambda indices (each at most twice the one
before), whose entries add up to t - 1 - L + a. Prints one line per chart
and exits 1 on the first degree that disagrees.
"""
import json
import sys


def admissible_counts(longest, largest_sum):
    """ends[r][s]: admissible sequences of r indices adding up to s."""
    # starting[v][s] for the current length: sequences that start with v.
    starting = [[1 if s == v else 0 for s in range(largest_sum + 1)] for v in range(largest_sum + 1)]
    ends = [[1] + [0] * largest_sum]
    ends.append([sum(starting[v][s] for v in range(largest_sum + 1)) for s in range(largest_sum + 1)])
    for _ in range(2, longest + 1):
        # prefix[u][s]: sequences starting with at most u.
        prefix = []
        running = [0] * (largest_sum + 1)
        for v in range(largest_sum + 1):
            running = [running[s] + starting[v][s] for s in range(largest_sum + 1)]
            prefix.append(running)
        longer = [[0] * (largest_sum + 1) for _ in range(largest_sum + 1)]
        for v in range(largest_sum + 1):
            below = prefix[min(2 * v, largest_sum)]
            for s in range(v, largest_sum + 1):
                longer[v][s] = below[s - v]
        starting = longer
        ends.append([sum(starting[v][s] for v in range(largest_sum + 1)) for s in range(largest_sum + 1)])
    return ends


def level_sizes(t, cells, ends):
    """The sizes of levels 0 .. t - 1 of degree t, with `cells` cells (None: no top)."""
    sizes = []
    for level in range(t):
        total = t - 1 - level
        top = total if cells is None else min(total, cells - 1)
        sizes.append(sum(ends[level][total - c] for c in range(top + 1)))
    return sizes


def check(path):
    with open(path) as f:
        chart = json.load(f)
    if chart.get("max_filtration") is not None:
        sys.exit(f"{path}: a band; only whole charts have Euler characteristics to check")
    bottom, top = chart["bottom_cell"], chart["top_cell"]
    cells = None if top is None else top - bottom + 1
    degrees = chart["degrees"]
    largest = max((d["t"] for d in degrees), default=0)
    ends = admissible_counts(largest, largest)
    for degree in degrees:
        t = degree["t"]
        levels = degree["levels"]
        if len(levels) != t:
            sys.exit(f"{path}: t={t} has {len(levels)} levels, not {t}")
        sizes = level_sizes(t, cells, ends)
        survivors = sum((-1) ** k * len(level["survivors"]) for k, level in enumerate(levels))
        counted = sum((-1) ** k * size for k, size in enumerate(sizes))
        if survivors != counted:
            sys.exit(f"{path}: t={t}: survivors give {survivors}, the levels' sizes {counted}")
    first = min((d["t"] for d in degrees), default=0)
    print(f"{path}: bottom cell {bottom}, top cell {top}, t={first} to {largest}: "
          f"every Euler characteristic agrees")


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip())
    for path in sys.argv[1:]:
        check(path)


if __name__ == "__main__":
    main()
