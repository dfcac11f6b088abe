#!/usr/bin/env bash
# Prints the size of tests/ against the rest of the code (lines of .cpp/.h)
# and their ratio. Usage: tools/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    find "$@" \( -name '*.cpp' -o -name '*.h' \) -type f -print0 2>/dev/null |
        xargs -0 -r cat | wc -l
}

product=$(count app settings gfx scene sound ui platform res)
tooling=$(count tools bench fuzz)
tests=$(count tests)
others=$((product + tooling))
ratio=$(awk -v t="$tests" -v o="$others" 'BEGIN { printf "%.3f", (o ? t / o : 0) }')
echo "test ratio ${ratio} (tests ${tests} lines; other code ${others}: product ${product}, tools/bench/fuzz ${tooling})"
