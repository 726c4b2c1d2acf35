#!/usr/bin/env bash
# The main job: builds vrxctl (Linux) when needed, then shows the simulated
# unit (host index 0) through the real OS layer, and a bus of emulated units.
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
