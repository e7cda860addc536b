#!/usr/bin/env bash
# Fails on any #include "folder/..." in src/ that does not point down. The
# folders of src/ from the top down; a file may include its own folder and
# those below it, never one above:
order=(run reader trace state recolour stream os)
#
#   tools/check-layers.sh [SRC]           checks SRC (default: src/ of this tree)
#   tools/check-layers.sh --self-test     shows that an upward include fails
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

rank() {
    local i
    for i in "${!order[@]}"; do
        [ "${order[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}

check() {
    local src=$1 bad=0 file folder line number target from to
    while IFS=: read -r file number line; do
        folder=${file#"$src"/}
        folder=${folder%%/*}
        target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$line")
        from=$(rank "$folder")
        to=$(rank "$target")
        if [ "$from" -lt 0 ] || [ "$to" -lt 0 ]; then
            echo "$file:$number: folder not in the include order: $line" >&2
            bad=1
        elif [ "$to" -lt "$from" ]; then
            echo "$file:$number: $folder/ includes $target/, which stands above it: $line" >&2
            bad=1
        fi
    done < <(grep -rnE '^#include "[^/"]+/' "$src" --include='*.cpp' --include='*.hpp')
    return $bad
}

if [ "${1:-}" = "--self-test" ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    cp -r "$top/src" "$scratch/src"
    echo '#include "run/messages.hpp"' >>"$scratch/src/stream/console.cpp"
    if check "$scratch/src" 2>"$scratch/out"; then
        echo "check-layers: a planted upward include passed" >&2
        exit 1
    fi
    grep -q 'src/stream/console.cpp:.*stream/ includes run/' "$scratch/out" || {
        echo "check-layers: the planted include was not named:" >&2
        cat "$scratch/out" >&2
        exit 1
    }
    echo "check-layers: a planted upward include fails, named with its file and line"
    exit 0
fi

check "${1:-$top/src}"
echo "check-layers: every include of src/ points down (${order[*]})"
