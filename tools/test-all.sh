#!/usr/bin/env bash
# Builds every target and passes every test: the one command CI runs.
# Each step writes its whole output to build/logs/STEP.log. A step that passes
# prints one line (and CTest's summary); a step that fails prints its log,
# less CTest's lines for the tests that passed, and stops the run.
set -euo pipefail
cd "$(dirname "$0")/.."
logs=build/logs
mkdir -p "$logs"
# The tests' scratch files go to a folder of the build's own, emptied here,
# rather than to /tmp; open to all like /tmp, for the cases that run the tool
# as another user.
export TMPDIR=$PWD/build/tmp
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"
chmod 1777 "$TMPDIR"
passed=0
failed=0

# The log of a failed step, without the lines of tests that passed.
show_failure() {
    grep -Ev '^ +Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed +[0-9.]+ sec$' "$1" || true
}

# CTest's summary lines of a log, added to the totals.
ctest_summary() {
    local line
    while IFS= read -r line; do
        echo "   $line"
        if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
            failed=$((failed + BASH_REMATCH[1]))
            passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
        fi
    done < <(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$1" || true)
}

# step NAME TITLE COMMAND...
step() {
    local name=$1 title=$2 start=$SECONDS
    shift 2
    local log=$logs/$name.log
    printf '== %s: ' "$title"
    if "$@" >"$log" 2>&1; then
        echo "ok ($((SECONDS - start)) s)"
        ctest_summary "$log"
        return
    fi
    echo "FAILED ($((SECONDS - start)) s); $log:"
    show_failure "$log"
    ctest_summary "$log"
    exit 1
}

format_check() {
    git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run -Werror
}

# Chained: set -e does not act inside a command that "if" tests.
fuzz_run() {
    # without TMPDIR, fuzz/run.sh keeps its many small files in memory
    cmake --preset fuzz && cmake --build --preset fuzz &&
        env -u TMPDIR bash fuzz/run.sh "${DIGIT_TINT_FUZZ_SECONDS:-60}"
}

step format "format" format_check
step docs "documentation: its runnable commands, the Windows guides' form" bash tools/check-docs.sh
step debug "debug build with AddressSanitizer and UndefinedBehaviorSanitizer" \
    cmake --workflow --preset debug
# The product as a user builds it: no test built, and neither GoogleTest
# (any find_package of it fails this configuration) nor Wine looked for.
product_only() {
    cmake --preset release -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON &&
        cmake --build --preset release && cpack --preset release &&
        cmake --workflow --preset windows-zip &&
        ! grep -q '^DIGIT_TINT_WINE' build/windows-zip/CMakeCache.txt
}
step product "the product alone: release build and package, the Windows zip" product_only
step release "release build with the tests (in the same build folder)" \
    cmake --workflow --preset release-tests
step windows "windows: static digit-tint.exe cross-built with MinGW-w64, every test under Wine, zip" \
    cmake --workflow --preset windows
# The tested build and the zip-alone build, two folders, made the same zip.
same_zip() {
    cmp build/windows/digit-tint-*-windows-x86_64.zip build/windows-zip/digit-tint-*-windows-x86_64.zip
}
step zip "the Windows zip: the same bytes from the tested build and from the zip alone" same_zip
step fuzz "fuzz: corpus regression run, then a short fuzzing run (clang, ASan+UBSan)" fuzz_run
grep -E 'inputs ran clean' "$logs/fuzz.log" | sed 's/^/   /' || true
step bench "benchmark at a small size, so that it keeps building and running" bash bench/run.sh --quick

echo "tests: $passed passed, $failed failed"
