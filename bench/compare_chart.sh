#!/usr/bin/env bash
# Compares curtis-chart's output, messages and exit statuses in every format
# with those of an earlier commit, on a list of spaces and readings, each
# run plain, then twice over one fresh cache (filling it, then reading it).
#
#   bench/compare_chart.sh [--baseline REV] [--jobs N]
#
# Builds the working tree (build-bench/) and REV (default HEAD~1;
# build-compare-baseline/) in Release. Exits non-zero if anything differs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

baseline=HEAD~1
jobs=$(nproc)
while (($#)); do
    case "$1" in
    --baseline) baseline=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h | --help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
done

runs=(
    "--sphere -T 30 --products --ehp"
    "--sphere -T 24 --unstable 5"
    "--bottom-cell 1 -T 28 --transfer"
    "--bottom-cell 0 -T 26 --transfer"
    "--bottom-cell -3 --top-cell 5 -T 30 --products --arrows 2"
    "--bottom-cell 3 --top-cell 12 -T 30 --products"
    "--bottom-cell -10 --top-cell -4 -T 26"
    "--bottom-cell 1 -T 40 --max-filtration 4"
    "--sphere -T 20 --products --h3-lines"
    "--bottom-cell 2 -T 22 --max-filtration 3 --products"
)
formats=(json text tsv svg html)

source "$root/bench/build_both.sh"
build_both curtis-chart
run_one() { # program label index format options...
    local program=$1 label=$2 index=$3 format=$4
    shift 4
    local name="$scratch/$label-$index-$format" cache
    cache=$(mktemp -d "$scratch/cache-XXXXXX")
    set +e
    "$program" --format "$format" "$@" >"$name.out" 2>"$name.err"
    echo $? >"$name.status"
    for pass in fill read; do
        "$program" --format "$format" --cache "$cache" "$@" >"$name.$pass.out" 2>"$name.$pass.err"
        echo $? >"$name.$pass.status"
    done
    rm -rf "$cache"
}
export -f run_one
for i in "${!runs[@]}"; do
    for format in "${formats[@]}"; do
        echo "$root/build-bench/curtis-chart current $i $format ${runs[$i]}"
        echo "$root/build-compare-baseline/build/curtis-chart baseline $i $format ${runs[$i]}"
    done
done | xargs -P "$jobs" -L 1 bash -c 'run_one "$0" "$@"'

differ=0
count=0
for i in "${!runs[@]}"; do
    for format in "${formats[@]}"; do
        for pass in "" .fill .read; do
            for part in out err status; do
                count=$((count + 1))
                if ! cmp -s "$scratch/current-$i-$format$pass.$part" \
                    "$scratch/baseline-$i-$format$pass.$part"; then
                    echo "${runs[$i]} --format $format${pass:+ (cache ${pass#.})}: $part differs" >&2
                    differ=1
                fi
            done
        done
    done
done
if ((differ)); then
    echo "curtis-chart's output DIFFERS from $baseline" >&2
    exit 1
fi
echo "${#runs[@]} runs in ${#formats[@]} formats, plain and cached: $count outputs identical to $baseline"
