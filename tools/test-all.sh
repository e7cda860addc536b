#!/usr/bin/env bash
# Builds every target and passes every test: the one command CI runs.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== format"
git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run -Werror

echo "== debug build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --workflow --preset debug

echo "== release build"
cmake --workflow --preset release

echo "== windows: static digit-tint.exe cross-built with MinGW-w64, every test under Wine, zip"
cmake --workflow --preset windows

echo "== fuzz: corpus regression run, then a short fuzzing run (clang, ASan+UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
bash fuzz/run.sh "${DIGIT_TINT_FUZZ_SECONDS:-60}"

echo "== benchmark at a small size, so that it keeps building and running"
bash bench/run.sh --quick
