#!/usr/bin/env bash
# Builds digit-tint and the host stand-in digit-tint-host, then plays the host
# on a shipped selection and shows what came back:
#
#   examples/run-sample.sh [HOST-OPTIONS] [SELECTION] [-- TOOL-SWITCHES]
#
# Without a SELECTION it uses examples/floor-plan.txt; "-" reads it from
# standard input. The build goes to build/sample without the tests, so it
# needs only cmake and a C++20 compiler; its log is shown only when it fails.
# Folders named for --svg and -o files are made first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
build=${DIGIT_TINT_SAMPLE_BUILD:-$top/build/sample}
log=$build/build.log
if [ ! -x "$build/digit-tint-host" ]; then
  echo "building digit-tint (first run only)…" >&2
fi
mkdir -p "$build"
if ! { [ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF; } >"$log" 2>&1 ||
  ! cmake --build "$build" --target digit-tint-host --parallel "$(nproc 2>/dev/null || echo 2)" \
    >>"$log" 2>&1; then
  cat "$log" >&2
  echo "the build failed; its log is $log" >&2
  exit 1
fi

# A SELECTION is the one argument before "--" that is not an option or its value.
has_selection=false
expect_value=false
output_option=false
for arg in "$@"; do
  if $expect_value; then
    expect_value=false
    if $output_option; then mkdir -p "$(dirname "$arg")"; fi
    continue
  fi
  case $arg in
    --) break ;;
    --svg|--output|-o) expect_value=true output_option=true ;;
    --svg=*|--output=*) mkdir -p "$(dirname "${arg#*=}")" ;;
    --keep|--tool|--timeout|--svg-width) expect_value=true output_option=false ;;
    -) has_selection=true ;; # the selection on standard input
    -*) ;;
    *) has_selection=true ;;
  esac
done
if ! $has_selection; then
  set -- "$here/floor-plan.txt" "$@"
fi
exec "$build/digit-tint-host" "$@"
