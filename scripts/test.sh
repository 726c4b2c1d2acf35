#!/usr/bin/env bash
# Builds KL_VRX and runs every test, in four configurations:
#   linux     g++, build/linux
#   sanitize  g++ with address + undefined sanitizers, build/sanitize
#             (then scripts/fuzz.sh, when present)
#   tsan      g++ with the thread sanitizer, build/tsan
#   windows   MinGW-w64 cross build, build/windows, tests under Wine
# The linux, sanitize and tsan configurations include the suite that runs
# the Linux backend on hidraw units emulated by umockdev (test_umockdev); the
# linux configuration also builds the benchmarks (bench/, not run here).
#
# On a fresh Debian/Ubuntu machine, run as root, it first installs what is
# missing (MinGW-w64, Wine, clang with lld and llvm for the DLL's
# Microsoft-ABI layer and hosts, clang's runtime for the fuzzer, Ninja,
# umockdev, GoogleTest: the Linux package and the sources the cross build
# compiles, Google Benchmark, dpkg-dev, lintian and pkg-config for the
# packages' tests, and pytest, venv, setuptools, wheel and pip for the
# Python package's wheel and suite) with one apt-get update; nothing else is
# downloaded. Exits non-zero when any step or any test fails, after running
# everything it can.
#
#   bash scripts/test.sh                 everything
#   bash scripts/test.sh windows         only the named steps
#                                        (linux, sanitize, tsan, fuzz, windows)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${KL_VRX_JOBS:-$(nproc)}
script_start=$SECONDS
failures=()
summaries=()

# ---- Tools ------------------------------------------------------------------------------------

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install_missing() {
    local missing=() pkg
    for pkg in g++-mingw-w64-x86-64-posix wine wine64 clang lld llvm libclang-rt-14-dev ninja-build \
        umockdev libumockdev-dev libgtest-dev googletest libbenchmark-dev \
        dpkg-dev lintian pkg-config \
        python3-pytest python3-venv python3-setuptools python3-wheel python3-pip; do
        installed "$pkg" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "test.sh: missing ${missing[*]}; run as root to install them" >&2
        exit 1
    fi
    echo "== Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Recommends (graphics, sound, fonts) are of no use to console tests under
    # Wine and would double the download.
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# ---- Wine -------------------------------------------------------------------------------------

wine_started=0
stop_wine() {
    if [ "$wine_started" = 1 ]; then
        wineserver -k 2>/dev/null || true
        wine_started=0
    fi
}
trap stop_wine EXIT

# One prefix per build tree, and one wineserver kept alive for the whole
# run: Wine's services then start once, and each test process starts in
# about 0.1 s instead of several seconds.
wine_environment() {
    export WINEPREFIX="$root/build/windows/wineprefix"
    export WINEDEBUG=-all
    # wine-mono and wine-gecko are not needed and must not be fetched.
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# First use of this build tree: create the prefix, then let that server
# finish writing it and exit. It takes Wine some seconds, mostly waiting, so
# it runs while the Windows build compiles. Every Wine start here has no
# terminal and no pipe, so the services it leaves running never hold ctest's
# output pipes open.
create_wine_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i </dev/null >/dev/null 2>&1 || return 1
        wineserver -w
    fi
}

start_wine() {
    # Only a new server can be made persistent; one left by an interrupted
    # run is ended first.
    if ! wineserver -p 2>/dev/null; then
        wineserver -k 2>/dev/null || true
        wineserver -w
        wineserver -p || return 1
    fi
    wine_started=1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || return 1
}

# ---- One configuration ------------------------------------------------------------------------

run_config() {
    local preset=$1 start=$SECONDS log="build/$1/ctest.log" options=()
    # The hidraw suite must not drop out unnoticed where it is meant to run.
    if [ "$preset" != windows ]; then
        options+=(-DKL_VRX_REQUIRE_UMOCKDEV=ON)
    fi
    if [ "$preset" = linux ]; then
        options+=(-DKL_VRX_BUILD_BENCHMARKS=ON)
    fi
    echo
    echo "== [$preset] configure and build"
    local prefix_job=
    if [ "$preset" = windows ]; then
        wine_environment
        create_wine_prefix &
        prefix_job=$!
    fi
    if ! cmake --preset "$preset" ${options[@]+"${options[@]}"} >/dev/null ||
        ! cmake --build --preset "$preset" -j "$jobs"; then
        failures+=("$preset: build")
        summaries+=("$preset: BUILD FAILED after $((SECONDS - start)) s")
        if [ -n "$prefix_job" ]; then wait "$prefix_job" || true; fi
        return 0
    fi
    local built=$SECONDS
    if [ "$preset" = windows ] && ! { wait "$prefix_job" && start_wine; }; then
        failures+=("$preset: wine")
        summaries+=("$preset: WINE DID NOT START")
        stop_wine
        return 0
    fi
    echo "== [$preset] test"
    # The thread sanitizer's memory layout allows at most 28 bits of mmap
    # randomisation, fewer than newer kernels use: its tests run without.
    local wrap=()
    if [ "$preset" = tsan ] && setarch "$(uname -m)" -R true 2>/dev/null; then
        wrap=(setarch "$(uname -m)" -R)
    fi
    local rc=0
    ${wrap[@]+"${wrap[@]}"} ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log" || rc=$?
    if [ "$preset" = windows ]; then stop_wine; fi
    local summary
    summary=$(grep -E 'tests passed|No tests were found' "$log" | tail -1 || true)
    summaries+=("$preset: ${summary:-no ctest summary} (build $((built - start)) s, tests $((SECONDS - built)) s)")
    if [ "$rc" -ne 0 ]; then
        failures+=("$preset: tests")
        while IFS= read -r line; do summaries+=("    $line"); done \
            < <(sed -n '/The following tests FAILED/,$p' "$log" | grep -E '^\s+[0-9]+ - ' || true)
    fi
}

steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(linux sanitize tsan fuzz windows)
for step in "${steps[@]}"; do
    case $step in
    linux | sanitize | tsan | fuzz | windows) ;;
    *)
        echo "test.sh: unknown step '$step' (linux, sanitize, tsan, fuzz, windows)" >&2
        exit 2
        ;;
    esac
done

install_missing
for step in "${steps[@]}"; do
    if [ "$step" != fuzz ]; then
        run_config "$step"
    elif [ -f scripts/fuzz.sh ]; then
        echo
        echo "== [fuzz] scripts/fuzz.sh"
        fuzz_start=$SECONDS
        if sh scripts/fuzz.sh; then
            summaries+=("fuzz: passed ($((SECONDS - fuzz_start)) s)")
        else
            failures+=("fuzz")
            summaries+=("fuzz: FAILED ($((SECONDS - fuzz_start)) s)")
        fi
    fi
done

echo
echo "== Summary ($((SECONDS - script_start)) s in all)"
printf '%s\n' "${summaries[@]}"
if [ ${#failures[@]} -ne 0 ]; then
    echo "FAILED: ${failures[*]}"
    exit 1
fi
echo "All configurations passed."
