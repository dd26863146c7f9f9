#!/usr/bin/env bash
# Exact solving before and after a change, in one run on one machine:
# bench/solve_bench of a base revision with its engine, and the working
# tree's with its own, on the same seeded positions.
#
#   scripts/solve-bench.sh BASE [CLASS...]
#
# A CLASS is KIND:EMPTIES:COUNT (see bench/solve_bench.cpp). Classes in
# AFTER_ONLY are measured on the working tree alone (the old solver takes
# too long there).
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:?usage: scripts/solve-bench.sh BASE [CLASS...]}
shift
classes=("$@")
[ ${#classes[@]} -gt 0 ] || classes=(random:20:9 levels:20:9 random:22:5 levels:22:5 random:24:3 levels:24:3)
read -r -a after_only <<<"${AFTER_ONLY:-}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Each tree's benchmark with its own engine, the weights embedded as the
# build does where a tree keeps them as files.
build() {  # TREE OUTPUT
    local embedded=()
    for data in "$1"/src/engine/data/*.bin; do
        [ -e "$data" ] || continue
        local name symbol
        name=$(basename "$data" .bin)
        symbol=Builtin$( [ "$name" = order_weights ] && echo Order)Weights
        cmake -DINPUT="$data" -DOUTPUT="$2-$name.cpp" -DSYMBOL="$symbol" -P cmake/embed.cmake
        embedded+=("$2-$name.cpp")
    done
    c++ -O2 -std=c++20 -pthread -I"$1/src" "$1"/src/engine/*.cpp "${embedded[@]}" "$1/bench/solve_bench.cpp" -o "$2"
}
mkdir -p "$work/base" "$work/tree"
git archive "$base" src/engine bench/solve_bench.cpp | tar -x -C "$work/base"
cp -r src bench "$work/tree"
build "$work/base" "$work/before"
build "$work/tree" "$work/after"

# The positions are drawn once, by the working tree's levels, so that both
# engines solve the same ones.
files=()
for class in "${classes[@]}" "${after_only[@]}"; do
    file="$work/${class//:/-}.txt"
    "$work/after" --print "$class" >"$file"
    files+=("file:$file")
done
before_files=("${files[@]:0:${#classes[@]}}")

threads=$(nproc)
echo "== before ($base), 1 thread"
"$work/before" "${before_files[@]}"
echo "== after, 1 thread"
"$work/after" --threads 1 "${files[@]}"
echo "== after, $threads threads"
"$work/after" --threads "$threads" "${files[@]}"
