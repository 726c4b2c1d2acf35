#!/bin/sh
# Builds the report-descriptor fuzzer with clang (libFuzzer, address and
# undefined-behaviour sanitizers) in its own build directory and runs it for
# a bounded time over a copy of the seed corpus.
#   scripts/fuzz.sh [seconds]   (default 20)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${1:-20}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKL_VRX_FUZZ=ON -DKL_VRX_WERROR=ON -DKL_VRX_BUILD_TESTS=OFF -DKL_VRX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j2 --target report_descriptor_fuzzer

# New inputs go to a scratch corpus so the checked-in seeds stay small.
work="$build/corpus"
mkdir -p "$work"
cp "$root"/fuzz/corpus/* "$work"/
start=$(date +%s)
"$build/fuzz/report_descriptor_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    "$work" 2>"$build/fuzz.log" || { tail -40 "$build/fuzz.log"; exit 1; }
end=$(date +%s)
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz.log")
echo "report_descriptor_fuzzer: $runs executions in $((end - start)) s, no failure"
