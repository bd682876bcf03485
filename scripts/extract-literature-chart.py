#!/usr/bin/env python3
"""Writes the project's extract of the literature's classical Adams E2 chart.

Usage: extract-literature-chart.py SEQSEE-JSON > data/adams-classical-e2.tsv

Reads the chart in the SeqSee format (file json/Adams-classical-E2.json of
the repository JoeyBF/SeqSee) and keeps what the program reads: every class
(key, stem, filtration, position, LaTeX label) in the file's order, and the
lines without attributes (the products by h0, h1, h2) that have a target.
The differentials (attribute dr) are left out.
"""
import json
import sys

HEADER = """\
# The classical Adams E2 chart of the sphere (Ext over the mod 2 Steenrod
# algebra) through stem 110, in the literature's named basis, with its lines
# for the products by h0, h1 and h2.
#
# Extracted by scripts/extract-literature-chart.py from the file
# json/Adams-classical-E2.json of J. Beauvais-Feisthauer and D. C. Isaksen,
# SeqSee, https://github.com/JoeyBF/SeqSee, under the MIT licence:
# see data/LICENSE-SeqSee.
#
# Rows, tab-separated:
#   class <key> <stem> <filtration> <position> <LaTeX label>   (position 0: none given)
#   line <source key> <target key>"""


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: extract-literature-chart.py SEQSEE-JSON")
    with open(sys.argv[1], encoding="utf-8") as f:
        chart = json.load(f)
    print(HEADER)
    for key, node in chart["nodes"].items():
        fields = [key, str(node["x"]), str(node["y"]), str(node.get("position", 0)), node["label"]]
        if any("\t" in x or "\n" in x for x in fields):
            sys.exit("a class with a tab or a line break: " + key)
        print("\t".join(["class"] + fields))
    for edge in chart["edges"]:
        if "attributes" in edge or "target" not in edge:
            continue
        print("\t".join(["line", edge["source"], edge["target"]]))


if __name__ == "__main__":
    main()
