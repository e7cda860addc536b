#!/usr/bin/env bash
# Runs digit-tint on a copy of a shipped selection in a scratch directory, as
# the host would, and prints the exchange file it hands back. The shipped
# file is never changed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
sample=${1:-$here/floor-plan.txt}
shift || true
if [ ! -x "$top/build/release/digit-tint" ]; then
  cmake --preset release -S "$top" >/dev/null
  cmake --build --preset release --target digit-tint >/dev/null
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$sample" "$scratch/jwc_temp.txt"
(cd "$scratch" && "$top/build/release/digit-tint" "$@")
if command -v iconv >/dev/null; then
  iconv -f CP932 -t UTF-8 "$scratch/JWC_TEMP.TXT" | tr -d '\r'
else
  tr -d '\r' <"$scratch/JWC_TEMP.TXT"
fi
