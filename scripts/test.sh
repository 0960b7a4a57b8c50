#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: once normally, once under
# AddressSanitizer and UndefinedBehaviorSanitizer, then builds and checks the Debian package,
# then a bounded run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

fuzz_seconds=${CORVANTIS_FUZZ_SECONDS:-60}
jobs=$(nproc)

scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== build and test"
cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/ci -j "$jobs"
ctest --test-dir build/ci --output-on-failure -j "$jobs"

echo "== unit and link tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANTIS_SANITIZE=ON
# Only what these labels run: the windows are built a second time only inside the program the
# process test starts. A test whose program is missing here shows as "Not Run" and fails the
# stage.
cmake --build build/asan -j "$jobs" --target unit_tests link_tests link_maintenance_tests \
    link_net_tests net_tests net_service_tests net_process_tests web_server_tests \
    VirtualRouterLineTest
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan -L 'unit|link|net' --output-on-failure -j "$jobs"

echo "== Debian package: build, file list, desktop entry, metadata, lintian"
scripts/package.sh

echo "== bounded fuzzing (${fuzz_seconds} s per target)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANTIS_FUZZ=ON -DCORVANTIS_BENCH=OFF
cmake --build build/fuzz -j "$jobs"
for target in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work="build/fuzz/corpus/$name"
    mkdir -p "$work"
    echo "-- $name"
    if ! "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$work" \
        $( [ -d "tests/fuzz/corpus/$name" ] && echo "tests/fuzz/corpus/$name" ) > "$work.log" 2>&1; then
        tail -n 60 "$work.log"
        echo "fuzzer $name found a failure"
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$work.log" || true
done
echo "all test stages passed"
