#!/usr/bin/env bash
# Installs what is missing, builds the Release and the ASan+UBSan trees and
# runs the whole test suite in both, headless.
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

echo "== Release =="
run_tree build -DCMAKE_BUILD_TYPE=Release
echo "== ASan + UBSan =="
run_tree build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMI_SANITIZE=ON -DLUMI_BENCH=OFF
echo "All tests passed."
