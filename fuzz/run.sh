#!/usr/bin/env bash
# Runs every checked-in corpus input once (the regression run), then fuzzes for
# the given number of seconds (default 60) from a copy of the corpus, so the
# checked-in files never change. New inputs and any crash land in build/fuzz.
# Usage: fuzz/run.sh [seconds] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd) # absolute paths: the target changes into its own working directory
seconds=${1:-60}
shift || true
fuzzer=$top/build/fuzz/fuzz/transform_fuzz
out=$top/build/fuzz/run
[ -x "$fuzzer" ] || { echo "build the fuzz preset first: cmake --preset fuzz && cmake --build --preset fuzz" >&2; exit 2; }
mkdir -p "$out/corpus" "$out/artifacts"
# Each input is written to disk and renamed several times: memory is much faster.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

echo "-- regression run over fuzz/corpus"
"$fuzzer" "$top"/fuzz/corpus/* 2>"$out/regression.log" || { cat "$out/regression.log" >&2; exit 1; }
echo "$(grep -c "^Executed" "$out/regression.log") inputs ran clean"

echo "-- fuzzing for ${seconds}s"
cp -n "$top"/fuzz/corpus/* "$out/corpus/"
"$fuzzer" "$out/corpus" "$top/fuzz/corpus" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$out/artifacts/" "$@" \
  2>"$out/fuzz.log" || { tail -60 "$out/fuzz.log" >&2; exit 1; }
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$out/fuzz.log" || true
echo "corpus: $(ls "$out/corpus" | wc -l) inputs"
