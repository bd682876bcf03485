# Sourced by the comparison scripts: builds TARGET of the working tree in
# build-bench/ and of the commit $baseline in build-compare-baseline/, both
# in Release, and makes a scratch directory, removed on exit.
#
#   build_both TARGET
build_both() {
    local target=$1 source="$root/build-compare-baseline/source"
    build_one() { # source dir, build dir
        cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DCURTIS_TESTS=OFF -DCURTIS_BENCH=OFF >/dev/null
        cmake --build "$2" -j "$(nproc)" --target "$target" >/dev/null
    }
    echo "building the working tree ..." >&2
    build_one "$root" "$root/build-bench"
    echo "building $baseline ..." >&2
    rm -rf "$source"
    mkdir -p "$source"
    git -C "$root" archive "$baseline" | tar -x -C "$source"
    build_one "$source" "$root/build-compare-baseline/build"
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    export scratch
}
