#!/usr/bin/env bash
# Builds digit-tint and the host stand-in digit-tint-host, then plays the host
# on a shipped selection and shows what came back:
#
#   examples/run-sample.sh [HOST-OPTIONS] [SELECTION] [-- TOOL-SWITCHES]
#
# Without a SELECTION it uses examples/floor-plan.txt. The build goes to
# build/sample without the tests, so it needs only cmake and a C++20 compiler.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
build=${DIGIT_TINT_SAMPLE_BUILD:-$top/build/sample}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target digit-tint-host --parallel "$(nproc 2>/dev/null || echo 2)" >/dev/null

# A SELECTION is the one argument before "--" that is not an option or its value.
has_selection=false
expect_value=false
for arg in "$@"; do
  if $expect_value; then expect_value=false; continue; fi
  case $arg in
    --) break ;;
    --svg|--keep|--tool|--output|-o) expect_value=true ;;
    -*) ;;
    *) has_selection=true ;;
  esac
done
if ! $has_selection; then
  set -- "$here/floor-plan.txt" "$@"
fi
exec "$build/digit-tint-host" "$@"
