#!/usr/bin/env bash
# Non-blank lines of the tests against those of the program and its tools, and their ratio.
# Fuzz harnesses and benchmarks count as neither.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
tests=$(count tests)
program=$(count app game dsp dialogs platform tools resources)
awk -v t="$tests" -v p="$program" \
    'BEGIN { printf "tests %d, program %d, tests/program %.1f%%\n", t, p, 100 * t / p }'
