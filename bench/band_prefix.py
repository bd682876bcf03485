#!/usr/bin/python3
"""Checks that band charts are the first levels of whole charts.

  band_prefix.py CURTIS_CHART T F1,F2,... [space options ...]

Writes the whole chart of degrees 1..T once (JSON and text), then the band of
each F, and compares every degree: the band's JSON levels must be the whole
chart's levels 0..F, and its text the whole text without the sections above
s = F + 1. Prints one line per F and exits 1 on the first difference.
"""
import json
import re
import subprocess
import sys


def run(tool, args):
    return subprocess.run([tool] + args, check=True, capture_output=True, text=True).stdout


def text_prefix(text, last_s):
    kept = []
    for block in re.split(r"(?=^homological degree s=|^\nComputation finished!)", text, flags=re.M):
        m = re.match(r"homological degree s=(\d+) ", block)
        if m is None or int(m.group(1)) <= last_s:
            kept.append(block)
    return "".join(kept)


def main():
    tool, top, bands, space = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    common = space + ["--max-degree", str(top)]
    whole = json.loads(run(tool, common + ["--format", "json"]))
    whole_text = run(tool, common + ["--format", "text"])
    degrees_text = re.split(r"(?=^w=)", whole_text, flags=re.M)[1:]
    for f in map(int, bands.split(",")):
        band = json.loads(run(tool, common + ["--format", "json", "--max-filtration", str(f)]))
        band_text = run(tool, common + ["--format", "text", "--max-filtration", str(f)])
        assert band.pop("max_filtration") == f
        wanted = dict(whole, degrees=[dict(d, levels=d["levels"][: f + 1]) for d in whole["degrees"]])
        if band != wanted:
            sys.exit(f"F={f}: the JSON differs from the whole chart's first levels")
        if band_text != "".join(text_prefix(d, f + 1) for d in degrees_text):
            sys.exit(f"F={f}: the text differs from the whole chart's first sections")
        print(f"{' '.join(space)} t<={top} F={f}: {sum(len(d['levels']) for d in band['degrees'])} levels identical")


if __name__ == "__main__":
    main()
