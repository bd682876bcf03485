#!/usr/bin/env bash
# Compares the charts and exit statuses of the working tree with those of an
# earlier commit on a grid of weights and total degrees.
#
#   bench/compare.sh [--baseline REV] [--jobs N] [--grid small|large|"W:T ..."]
#
# Builds the working tree (build-bench/) and REV (default HEAD~1;
# build-compare-baseline/) in Release, runs both on every input
# of the grid and reports each input whose output or exit status differs.
#   small: t = 1..30 with w in {-10^9, -7, -1, 0, 1, 3, 10, 10^9}, and
#          t in {33, 36, 38} with w in {-5, 0, 4, 10^9}
#   large: t in {44, 45} with w in {0, 3}
# or a list of weight:degree pairs. Exits non-zero if anything differs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

baseline=HEAD~1
grid=small
jobs=$(nproc)
while (($#)); do
    case "$1" in
    --baseline) baseline=$2; shift 2 ;;
    --grid) grid=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h | --help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
done

inputs=()
case "$grid" in
small)
    for t in $(seq 1 30); do
        for w in -1000000000 -7 -1 0 1 3 10 1000000000; do inputs+=("$w:$t"); done
    done
    for t in 33 36 38; do
        for w in -5 0 4 1000000000; do inputs+=("$w:$t"); done
    done
    ;;
large) inputs=(0:44 3:44 0:45 3:45) ;;
*) read -r -a inputs <<<"$grid" ;;
esac

source "$root/bench/build_both.sh"
build_both curtis
run_one() { # program label w:t
    local w=${3%%:*} t=${3##*:}
    set +e
    printf '%s\n%s\n' "$w" "$t" | "$1" >"$scratch/$2-$w-$t.out" 2>"$scratch/$2-$w-$t.err"
    echo $? >"$scratch/$2-$w-$t.status"
}
export -f run_one
for input in "${inputs[@]}"; do
    echo "$root/build-bench/curtis current $input"
    echo "$root/build-compare-baseline/build/curtis baseline $input"
done | xargs -P "$jobs" -L 1 bash -c 'run_one "$0" "$1" "$2"'

differ=0
for input in "${inputs[@]}"; do
    w=${input%%:*} t=${input##*:}
    for part in out status; do
        if ! cmp -s "$scratch/current-$w-$t.$part" "$scratch/baseline-$w-$t.$part"; then
            echo "w=$w t=$t: $part differs" >&2
            differ=1
        fi
    done
done
if ((differ)); then
    echo "charts or statuses DIFFER from $baseline" >&2
    exit 1
fi
echo "${#inputs[@]} inputs: every chart and exit status identical to $baseline"
