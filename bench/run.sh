#!/usr/bin/env bash
# Times the whole program on fixed inputs and checks its chart.
#
#   bench/run.sh [--runs N] [--weight W] [--cpus LIST] [--baseline REV]... [t ...]
#
# Builds the working tree in Release (build-bench/) and runs it N times
# (default 5) for each total degree t (default 31 36 38) with weight W
# (default 0), printing the median wall time and the peak resident memory
# measured by /usr/bin/time -v. Each chart is compared byte for byte with the
# one the previous run of this script saved in bench/out/. Each --baseline
# (it may be given several times) builds the commit REV too
# (build-bench-baseline/REV/); all builds are timed in the same run,
# alternating, and their charts must agree. --cpus runs every program under
# taskset -c LIST, so that it sees (and uses) only those processors.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

runs=5
weight=0
baselines=()
cpus=""
degrees=()
while (($#)); do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --weight) weight=$2; shift 2 ;;
    --baseline) baselines+=("$2"); shift 2 ;;
    --cpus) cpus=$2; shift 2 ;;
    -h | --help) sed -n '2,16p' "$0"; exit 0 ;;
    *) degrees+=("$1"); shift ;;
    esac
done
((${#degrees[@]})) || degrees=(31 36 38)
[ -x /usr/bin/time ] || { echo "bench/run.sh needs /usr/bin/time (apt-get install -y time)" >&2; exit 1; }

build() { # source dir, build dir
    cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DCURTIS_TESTS=OFF -DCURTIS_BENCH=OFF >/dev/null
    cmake --build "$2" -j "$(nproc)" --target curtis >/dev/null
}

echo "building the working tree ..." >&2
build "$root" "$root/build-bench"
programs=("$root/build-bench/curtis")
labels=("current")
for baseline in "${baselines[@]}"; do
    echo "building $baseline ..." >&2
    where="$root/build-bench-baseline/$(echo "$baseline" | tr -c 'A-Za-z0-9._\n-' '_')"
    rm -rf "$where/source"
    mkdir -p "$where/source"
    git -C "$root" archive "$baseline" | tar -x -C "$where/source"
    build "$where/source" "$where/build"
    programs+=("$where/build/curtis")
    labels+=("$baseline")
done

out="$root/bench/out"
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Wall seconds and peak resident kilobytes from a /usr/bin/time -v report.
parse_time() {
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + p[i]; wall = s }
        /Maximum resident set size/ { rss = $2 }
        END { print wall, rss }' "$1"
}

printf '%-4s %-14s %12s %14s  %s\n' "t" "build" "median wall" "peak RSS" "chart"
status=0
for t in "${degrees[@]}"; do
    printf '%s\n%s\n' "$weight" "$t" >"$scratch/input"
    for b in "${!programs[@]}"; do : >"$scratch/walls-$b"; : >"$scratch/rss-$b"; done
    for ((r = 0; r < runs; ++r)); do
        for b in "${!programs[@]}"; do
            if [ -n "$cpus" ]; then
                taskset -c "$cpus" /usr/bin/time -v -o "$scratch/time" "${programs[$b]}" <"$scratch/input" >"$scratch/chart-$b"
            else
                /usr/bin/time -v -o "$scratch/time" "${programs[$b]}" <"$scratch/input" >"$scratch/chart-$b"
            fi
            read -r wall rss < <(parse_time "$scratch/time")
            echo "$wall" >>"$scratch/walls-$b"
            echo "$rss" >>"$scratch/rss-$b"
        done
    done
    saved="$out/chart-w$weight-t$t.txt"
    for b in "${!programs[@]}"; do
        wall=$(median <"$scratch/walls-$b")
        rss=$(sort -g "$scratch/rss-$b" | tail -n 1)
        if ((b == 0)); then
            if [ ! -f "$saved" ]; then
                verdict="saved (no previous chart)"
            elif cmp -s "$saved" "$scratch/chart-0"; then
                verdict="identical to the previous run's"
            else
                verdict="DIFFERS from the previous run's (kept; new one in $saved.new)"
                cp "$scratch/chart-0" "$saved.new"
                status=1
            fi
        elif cmp -s "$scratch/chart-0" "$scratch/chart-$b"; then
            verdict="identical to current"
        else
            verdict="DIFFERS from current"
            status=1
        fi
        printf '%-4s %-14s %11.2fs %11.1f MB  %s\n' "$t" "${labels[$b]}" "$wall" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$verdict"
    done
    if [ ! -f "$saved" ] || cmp -s "$saved" "$scratch/chart-0"; then
        cp "$scratch/chart-0" "$saved"
    fi
done
exit $status
