#!/usr/bin/env bash
# `vrxctl log` on large traffic logs, run by hand: writes the log of a shell
# session against an emulated unit, repeats it up to each size (MB, default
# 100 and 1024), and prints for each the decoder's time, throughput and peak
# memory beside the time of `wc -l` on the same file, measured in the same
# run with the file in the page cache. The logs live in a temporary folder
# (TMPDIR) that is removed at the end.
#
#   bash bench/log_decode_bench.sh [SIZE_MB...]
#   VRXCTL=path/to/vrxctl bash bench/log_decode_bench.sh 4096
set -euo pipefail
cd "$(dirname "$0")/.."
vrxctl=$(realpath "${VRXCTL:-build/linux/tools/vrxctl/vrxctl}")
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100 1024)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One session: moves and reads of two elements, a show and the park.
cd "$work"
for i in $(seq 1 100); do
    echo "set 1 position21 $((i % 3))"
    echo "get 1 position21"
    echo "get 1 position20"
    echo "set 1 position20 $((i % 2))"
done >session.txt
printf 'show 1\npark 1\n' >>session.txt
"$vrxctl" --emulate 1 --log shell <session.txt >/dev/null 2>&1
mv VRXHIDLog.log session.log

# Seconds (the best of three runs) and peak resident kilobytes of a
# command, its output discarded.
measure() {
    local best="" start end
    for _ in 1 2 3; do
        start=$(date +%s%N)
        /usr/bin/time -f '%M' -o time.txt "$@" >/dev/null
        end=$(date +%s%N)
        best=$(((end - start) < ${best:-end} ? end - start : best))
    done
    echo "$(awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }') $(cat time.txt)"
}

printf '%-8s %11s %9s %9s %8s %12s %7s\n' size lines 'wc -l s' 'log s' 'MB/s' 'peak memory' ratio
for size in "${sizes[@]}"; do
    rm -f big.log
    while [ "$(stat -c %s big.log 2>/dev/null || echo 0)" -lt $((size * 1000000)) ]; do
        cat session.log >>big.log
    done
    bytes=$(stat -c %s big.log)
    lines=$(wc -l <big.log)  # also brings the file into the page cache
    read -r wc_s _ < <(measure wc -l big.log)
    read -r log_s log_kb < <(measure "$vrxctl" log big.log)
    awk -v size="$size" -v lines="$lines" -v wc="$wc_s" -v dec="$log_s" -v kb="$log_kb" \
        -v bytes="$bytes" 'BEGIN {
            printf "%-8s %11d %9.3f %9.3f %8.0f %9.1f MB %6.1fx\n", size " MB", lines, wc, dec,
                bytes / 1e6 / (dec > 0 ? dec : 0.01), kb / 1024, dec / (wc > 0 ? wc : 0.01)
        }'
done
rm -f big.log
