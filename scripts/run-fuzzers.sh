#!/usr/bin/env bash
# Runs every fuzz target for a set time on its growing corpus, seeded from the project's own
# material, and prints how many inputs each one ran. A finding stops with its input saved in
# BUILD/fuzz-findings/; turn it into a regression test under tests/.
#
#   scripts/run-fuzzers.sh BUILD_FOLDER SECONDS_PER_TARGET [TARGET...]
set -euo pipefail
build=$(realpath "$1")
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_wave fuzz_stats fuzz_config fuzz_slide fuzz_coefficients)
source_dir=$(cd "$(dirname "$0")/.." && pwd)

seeds=$build/fuzz-seeds
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$source_dir/content" "$seeds"
mkdir -p "$build/fuzz-findings"

status=0
for target in "${targets[@]}"; do
    binary=$build/fuzz/$target
    [ -x "$binary" ] || { echo "$target: not built"; continue; }
    corpus=$build/fuzz-corpus/$target
    mkdir -p "$corpus"
    log=$build/fuzz-findings/$target.log
    seed_folder=$seeds/${target#fuzz_}
    [ -d "$seed_folder" ] || seed_folder=
    if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$build/fuzz-findings/$target-" "$corpus" $seed_folder >"$log" 2>&1; then
        echo "$target: FINDING, see $log"
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
    echo "$target: $runs executions in ${seconds}s"
done
exit $status
