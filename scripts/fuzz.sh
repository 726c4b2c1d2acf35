#!/bin/sh
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) in their own build directory and runs each for a bounded time
# over a copy of its seed corpus:
#   report_descriptor_fuzzer  fuzz/corpus (HID report descriptors)
#   log_decoder_fuzzer        fuzz/traffic_log_corpus (logs the library wrote,
#                             and inputs that once found a fault)
#   session_fuzzer            fuzz/session_corpus (host sessions: real
#                             exchanges, and inputs that once found a fault)
# The three run at the same time, each for the given wall time.
#   scripts/fuzz.sh [seconds]   (each; default 20)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=${1:-20}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKL_VRX_FUZZ=ON -DKL_VRX_WERROR=ON -DKL_VRX_BUILD_TESTS=OFF -DKL_VRX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j2 --target report_descriptor_fuzzer log_decoder_fuzzer session_fuzzer

# fuzz NAME SEEDS [libFuzzer options]: starts the fuzzer in the background;
# new inputs go to a scratch corpus so the checked-in seeds stay small.
pids=""
fuzz() {
    name=$1
    seeds=$2
    shift 2
    work="$build/corpus-$name"
    mkdir -p "$work"
    cp "$seeds"/* "$work"/
    "$build/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$@" \
        "$work" 2>"$build/$name.log" &
    pids="$pids $!:$name"
}

# Waits for every fuzzer started; prints each one's figures or its failure.
finish() {
    failed=0
    for entry in $pids; do
        name=${entry#*:}
        if ! wait "${entry%%:*}"; then
            tail -40 "$build/$name.log"
            failed=1
            continue
        fi
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/$name.log")
        coverage=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$build/$name.log" | tail -1 |
            sed -E 's/.*cov: ([0-9]+) ft: ([0-9]+).*/cov \1, ft \2/')
        echo "$name: $runs executions in $seconds s ($coverage), no failure"
    done
    return $failed
}

fuzz report_descriptor_fuzzer "$root/fuzz/corpus"
# Room to add lines to the largest seed.
fuzz log_decoder_fuzzer "$root/fuzz/traffic_log_corpus" -max_len=32768

# Time is virtual in a session: one that runs for seconds is a hang.
fuzz session_fuzzer "$root/fuzz/session_corpus" -timeout=10 -max_len=8192
finish
