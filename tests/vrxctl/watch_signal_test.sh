#!/usr/bin/env bash
# Ctrl-C to a running `vrxctl watch`: once the first line is out (the unit
# opened and read), SIGINT ends it with exit code 0 after parking the unit.
#   watch_signal_test.sh VRXCTL WORKDIR
set -u
vrxctl=$1
work=$2/watch_signal
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
mkfifo out

"$vrxctl" --emulate 1 watch 1 --interval 20 >out 2>err &
pid=$!
exec 3<out
if ! read -r -t 30 first <&3; then
    echo "watch printed no line"; cat err; kill -KILL "$pid"; exit 1
fi
kill -INT "$pid"
wait "$pid"
code=$?
cat <&3 >rest
if [ "$code" -ne 0 ]; then
    echo "watch ended with exit code $code after SIGINT"; cat err; exit 1
fi
case $first in
*"position21 0"*) ;;
*) echo "unexpected first line: $first"; exit 1 ;;
esac
if ! grep -q "parking host index 1" err; then
    echo "watch did not park the unit:"; cat err; exit 1
fi
echo "SIGINT: exit 0, unit parked"
