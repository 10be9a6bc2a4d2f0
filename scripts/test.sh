#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: a normal build, the
# Windows build under wine, an AddressSanitizer + UndefinedBehaviorSanitizer
# build, and the fuzz targets for a bounded time each (VEM_FUZZ_SECONDS,
# default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${VEM_FUZZ_SECONDS:-60}

step() { printf '\n==== %s\n' "$*"; }

step "include rules"
scripts/check-includes.sh

step "normal build"
cmake --preset release
cmake --build build/release -j"$jobs"
step "normal tests"
ctest --test-dir build/release --output-on-failure -j"$jobs"
step "package"
scripts/package-check.sh build/release
step "windows build and tests under wine"
scripts/windows-test.sh build/release

step "sanitizer build"
cmake --preset asan
cmake --build build/asan -j"$jobs"
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j"$jobs"

step "fuzz build"
cmake --preset fuzz
cmake --build build/fuzz -j"$jobs"
step "fuzzing, ${fuzz_seconds}s a target"
scripts/fuzz.sh build/fuzz "$fuzz_seconds"

step "all tests passed"
