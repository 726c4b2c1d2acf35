#!/usr/bin/env bash
# The main job: builds vrxctl (Linux) when needed, then shows the simulated
# unit (host index 0) through the real OS layer, a bus of emulated units, the
# traffic log of a session decoded, and watch.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/linux
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake --preset linux >/dev/null
fi
cmake --build "$build" --target vrxctl >/dev/null
vrxctl="$build/tools/vrxctl/vrxctl"

run() {
    echo
    echo "\$ vrxctl $*"
    "$vrxctl" "$@"
}

echo "== The real OS: no unit needed, host index 0 is the simulated unit"
run list
run show 0

echo
echo "== Emulated units: two family-1 units and a family-2 unit"
run --emulate 1,1,2 list
run --emulate 1,1,2 show 1
run --emulate 1,1,2 --json show 3
echo
echo "\$ printf 'get 1 position21\\nset 1 position21 2\\nget 1 position21\\npark 1\\n' | vrxctl --emulate 1 shell"
printf 'get 1 position21\nset 1 position21 2\nget 1 position21\npark 1\n' | "$vrxctl" --emulate 1 shell

echo
echo "== The traffic log of a session, decoded (the log goes to the current directory)"
logdir=$(mktemp -d)
trap 'rm -rf "$logdir"' EXIT
vrxctl_path=$(cd "$(dirname "$vrxctl")" && pwd)/$(basename "$vrxctl")
echo "\$ printf 'set 1 position21 2\\nget 1 position21\\npark 1\\n' | vrxctl --emulate 1 --log shell"
(cd "$logdir" && printf 'set 1 position21 2\nget 1 position21\npark 1\n' |
    "$vrxctl_path" --emulate 1 --log shell)
echo
echo "\$ vrxctl log VRXHIDLog.log"
(cd "$logdir" && "$vrxctl_path" log VRXHIDLog.log)

echo
echo "== watch: a line with the time whenever an element changes; Ctrl-C parks the unit and ends it"
echo "\$ vrxctl --emulate 1 watch 1 --interval 100     (SIGINT after 1 s)"
timeout --preserve-status -s INT 1 "$vrxctl" --emulate 1 watch 1 --interval 100
echo "exit code $?"
