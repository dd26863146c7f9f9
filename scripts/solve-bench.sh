#!/usr/bin/env bash
# Exact solving before and after a change, in one run on one machine:
# bench/solve_bench built against the engine of a base revision and
# against the working tree's, on the same seeded positions.
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
git archive "$base" src/engine | tar -x -C "$work"
flags=(-O2 -std=c++20 -pthread)
c++ "${flags[@]}" -DSOLVE_BENCH_BEFORE -I"$work/src" "$work"/src/engine/*.cpp bench/solve_bench.cpp -o "$work/before"
c++ "${flags[@]}" -Isrc src/engine/*.cpp bench/solve_bench.cpp -o "$work/after"

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
