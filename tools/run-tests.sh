#!/usr/bin/env bash
# Configures, builds and runs every test. Usage:
#   tools/run-tests.sh              # build/ (RelWithDebInfo)
#   tools/run-tests.sh --sanitize   # build-asan/ with AddressSanitizer + UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
opts=()
if [[ "${1:-}" == "--sanitize" ]]; then
    dir=build-asan
    opts+=(-DVX_SANITIZE=ON -DVX_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$dir" "${opts[@]}"
cmake --build "$dir" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
# One at a time: several tests drive real windows, timers and a sound server,
# and their timing checks are steadier without a second test competing.
ctest --test-dir "$dir" --output-on-failure --timeout 300
