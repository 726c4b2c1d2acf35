#!/bin/sh
# Runs a Windows executable of the cross build under Wine:
#   wine-run.sh <program.exe> [arguments...]
#
# WINEDEBUG defaults to -all: Wine's diagnostics would drown the test output
# and slow every start. WINEPREFIX defaults to <build dir>/wineprefix, the
# build dir being the nearest ancestor of the program that holds
# CMakeCache.txt, so tests never touch the user's own ~/.wine. Start one
# `wineserver -p` for that prefix to make each run start in about 0.1 s
# (scripts/test.sh does).
set -eu

export WINEDEBUG="${WINEDEBUG:--all}"

if [ -z "${WINEPREFIX:-}" ]; then
    dir=$(cd "$(dirname "$1")" && pwd)
    while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do
        dir=$(dirname "$dir")
    done
    if [ "$dir" = "/" ]; then
        echo "wine-run.sh: no CMake build tree above $1; set WINEPREFIX" >&2
        exit 2
    fi
    export WINEPREFIX="$dir/wineprefix"
fi

exec wine "$@"
