#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# from the checked-in seeds (new finds go to a scratch corpus, not the repo).
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSHIROKURO_FUZZ=ON -DSHIROKURO_TESTS=OFF -DSHIROKURO_WERROR=ON >/dev/null
# The build's output only when it fails: a compile error must not end CI silently.
if ! cmake --build build/fuzz -j "$(nproc)" >build/fuzz/build.log 2>&1; then
    tail -40 build/fuzz/build.log
    echo "the fuzz targets did not build"
    exit 1
fi
for target in input program command_line solve; do
    scratch=$(mktemp -d)
    echo "== fuzzing $target for $seconds s"
    status=0
    build/fuzz/fuzz/${target}_fuzz -max_total_time="$seconds" -max_len=512 -timeout=10 \
        -artifact_prefix=build/fuzz/ "$scratch" "fuzz/corpus/$target" >"$scratch.log" 2>&1 || status=$?
    grep -E '^(Done|SUMMARY|==[0-9]+==ERROR)' "$scratch.log" || true
    if [ "$status" -ne 0 ]; then
        tail -40 "$scratch.log"
        echo "fuzz target $target found a fault (input saved under build/fuzz/)"
        exit 1
    fi
    rm -rf "$scratch" "$scratch.log"
done
