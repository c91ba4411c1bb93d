#!/usr/bin/env bash
# Installs what is missing, builds the Release and the ASan+UBSan trees and
# runs the whole test suite in both, headless; then builds the fuzz programs
# of the file readers with clang and runs each briefly over its seeds.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

run_tree() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$jobs"
    # Tests that measure real time run alone, after the rest.
    ctest --test-dir "$dir" --output-on-failure --parallel "$jobs" --label-exclude timing
    ctest --test-dir "$dir" --output-on-failure --label-regex timing
}

# ctest runs every test in a process of its own. Each test program also runs
# once whole, in a shuffled order, so that a test that leaks into the next
# (queued events, globals, files) fails here. The seed is printed to repeat it.
run_whole_shuffled() {
    local dir=$1 program
    for program in "$dir"/tests/*_tests; do
        echo "-- $(basename "$program") whole, shuffled"
        # The environment ctest gives the tests (tests/CMakeLists.txt):
        # settings inside the build tree, never the user's.
        XDG_CONFIG_HOME=$PWD/$dir/tests/config \
            LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$program" --gtest_shuffle --gtest_brief=1
    done
}

# Each fuzz program runs a fixed number of inputs (or seconds) from its seeds;
# whatever it finds is a fault and fails the run, with the input kept under
# $dir/fuzz/ to replay (fuzz/README.md).
run_fuzz_smoke() {
    local dir=$1 program name found log
    for program in "$dir"/fuzz/fuzz_*; do
        [[ -f $program && -x $program ]] || continue
        name=${program##*/fuzz_}
        found=$(mktemp -d)
        log=$dir/fuzz/$name.log
        if ! LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$program" -runs=20000 -max_total_time=7 -timeout=10 -dict="fuzz/dict/$name.dict" \
            -artifact_prefix="$dir/fuzz/$name-" "$found" "fuzz/corpus/$name" >"$log" 2>&1; then
            tail -n 40 "$log"
            rm -rf "$found"
            echo "fuzz_$name found a fault: see $log"
            return 1
        fi
        rm -rf "$found"
        echo "-- fuzz_$name: $(grep -E '^Done' "$log") ($(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1))"
    done
}

echo "== Release =="
run_tree build -DCMAKE_BUILD_TYPE=Release
run_whole_shuffled build
echo "== ASan + UBSan =="
run_tree build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMI_SANITIZE=ON -DLUMI_BENCH=OFF
echo "== Fuzz programs (clang, ASan + UBSan) =="
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMI_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-fuzz --parallel "$jobs"
run_fuzz_smoke build-fuzz
echo "All tests passed."
