#!/usr/bin/env bash
# Builds the bench preset and measures: whole runs against cp and against the
# protocol floor (bench-floor) at 10, 1000, 10000 and 150000 lines on the mix
# hosts write, instructions per line under callgrind on it and on the typed
# mix, what a full-precision number costs beside a short one, and the
# in-process micro-benchmarks.
#   bench/run.sh          the full table
#   bench/run.sh --quick  one small size, a few runs: a check that it still works
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
bin=build/bench
if [ "${1:-}" = "--quick" ]; then
    "$bin/bench/bench-drive" --tool "$bin/digit-tint" --gen "$bin/bench/bench-gen" \
        --floor "$bin/bench/bench-floor" --sizes 10,1000 --runs 3
    "$bin/bench/bench-micro" --benchmark_min_time=0.01
    exit 0
fi
callgrind=()
command -v valgrind >/dev/null && callgrind=(--callgrind)
"$bin/bench/bench-drive" --tool "$bin/digit-tint" --gen "$bin/bench/bench-gen" \
    --floor "$bin/bench/bench-floor" --runs 21 "${callgrind[@]}"
"$bin/bench/bench-drive" --tool "$bin/digit-tint" --gen "$bin/bench/bench-gen" --mix typed \
    --floor "$bin/bench/bench-floor" --sizes 150000 --runs 21 "${callgrind[@]}"
if [ ${#callgrind[@]} -gt 0 ]; then
    # 100000 text records of four numbers each, all full-precision or all short
    for mix in full short; do
        "$bin/bench/bench-drive" --tool "$bin/digit-tint" --gen "$bin/bench/bench-gen" \
            --mix $mix --floor "$bin/bench/bench-floor" --sizes 100000 --runs 1 --callgrind |
            grep '^callgrind' | sed "s/^/$mix numbers: /"
    done
fi
"$bin/bench/bench-micro"
