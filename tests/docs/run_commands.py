#!/usr/bin/env python3
"""Runs every command that README.md and docs/*.md show, and checks its exit status.

A command is an indented code line (four blanks) that starts with
`build/curtis-chart` or is `printf ... | build/curtis`, with its `\\`
continuation lines. Each runs in a fresh temporary directory, with `build/`
meaning the build directory given, so that relative outputs (`--output
sphere.json`, `--output docs/x.svg`) land in that directory and never in the
source tree.

Usage: run_commands.py BUILD_DIR SOURCE_DIR [--verbose]
Prints a line per failure and then "N passed, M failed"; exits 1 on a failure.
"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import time

TIMEOUT_SECONDS = 60

# Commands shown but not run here, each with its reason. A key is the start
# of the command as the document writes it.
SKIPPED = {
    "build/curtis-chart SPACE": "the synopsis of the options, not a command",
    "build/curtis-chart --bottom-cell 1 --max-degree 64 --cache ~/curtis-cache":
        "minutes of computation, and writes in the home directory",
    "build/curtis-chart --sphere --max-degree 60 --cache /shared/curtis-cache":
        "a shared cache directory of a cluster, and minutes of computation",
    "build/curtis-chart --bottom-cell 1 --top-cell $SLURM_ARRAY_TASK_ID":
        "a job of a batch system, needs SLURM_ARRAY_TASK_ID",
    "build/curtis-chart --bottom-cell 1 --top-cell 6 --max-degree 50":
        "longer than 10 s",
    "build/curtis-chart --bottom-cell 1 --max-degree 71 --max-filtration 9":
        "longer than 10 s",
    "build/curtis-chart --sphere --max-stem 40 --names":
        "longer than 60 s: the sphere's degrees to t = 61 for its filtrations",
}

COMMAND = re.compile(r"^    (build/curtis-chart\b.*|printf .*\|\s*build/curtis\b.*)$")


def commands(source_dir):
    """Yields (file:line, command) for every command the documents show."""
    paths = [os.path.join(source_dir, "README.md")]
    paths += sorted(glob.glob(os.path.join(source_dir, "docs", "*.md")))
    for path in paths:
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        i = 0
        while i < len(lines):
            match = COMMAND.match(lines[i])
            where = "%s:%d" % (os.path.relpath(path, source_dir), i + 1)
            i += 1
            if not match:
                continue
            command = match.group(1)
            while command.rstrip().endswith("\\") and i < len(lines):
                command = command.rstrip()[:-1] + " " + lines[i].strip()
                i += 1
            yield where, command


def skip_reason(command):
    for start, reason in SKIPPED.items():
        if command.startswith(start):
            return reason
    return None


def run(build_dir, command):
    """Runs one command in a fresh directory; returns (status or None, seconds, stderr)."""
    shell_command = re.sub(r"(^|[|\s])build/", r"\g<1>" + build_dir + "/", command)
    with tempfile.TemporaryDirectory(prefix="curtis-docs-") as work:
        os.mkdir(os.path.join(work, "docs"))
        start = time.monotonic()
        try:
            done = subprocess.run(["/bin/sh", "-c", shell_command], cwd=work,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            return None, time.monotonic() - start, b""
        return done.returncode, time.monotonic() - start, done.stderr


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    build_dir = os.path.abspath(sys.argv[1])
    source_dir = os.path.abspath(sys.argv[2])
    verbose = "--verbose" in sys.argv[3:]
    passed = failed = skipped = 0
    for where, command in commands(source_dir):
        reason = skip_reason(command)
        if reason:
            skipped += 1
            if verbose:
                print("skipped %s: %s (%s)" % (where, command, reason))
            continue
        status, seconds, stderr = run(build_dir, command)
        if status == 0:
            passed += 1
            if verbose:
                print("ok %5.1f s %s: %s" % (seconds, where, command))
            continue
        failed += 1
        outcome = "timed out after %d s" % TIMEOUT_SECONDS if status is None else "exit %d" % status
        first = stderr.decode("utf-8", "replace").strip().split("\n")[0]
        print("FAIL %s: %s: %s %s" % (where, command, outcome, first))
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
