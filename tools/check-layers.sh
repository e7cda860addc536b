#!/usr/bin/env bash
# Fails on any include in src/, of a .cpp or a .hpp, that does not point down.
# The folders of src/ from the top down; a file may include its own folder and
# those below it, never one above:
order=(run reader trace state recolour stream os)
#
#   tools/check-layers.sh [SRC]           checks SRC (default: src/ of this tree)
#   tools/check-layers.sh --self-test     shows that upward includes fail
#
# An include is read in every form the compiler reads: blanks before and
# after the "#", quotes or angle brackets, a path from src/ or from the
# including file's own folder. An include by macro cannot be checked and fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

declare -A rank_of
for i in "${!order[@]}"; do rank_of[${order[$i]}]=$i; done

# The rank of a folder in the order, -1 for one not in it.
rank() {
    echo "${rank_of[$1]:--1}"
}

# A path relative to src/ with its "." and ".." steps taken; one that leaves
# src/ starts with "../".
normalized() {
    local part out=()
    local IFS=/
    for part in $1; do
        case $part in
        . | '') ;;
        ..) if [ ${#out[@]} -gt 0 ] && [ "${out[-1]}" != .. ]; then unset 'out[-1]'; else out+=(..); fi ;;
        *) out+=("$part") ;;
        esac
    done
    echo "${out[*]}"
}

# The folder of src/ that an include of path from file (relative to src/)
# names; empty for a header from outside the tree (the standard library, the
# platform), "(outside the folders)" for one of the tree outside them.
target_folder() {
    local src=$1 file=$2 path=$3 quoted=$4 resolved=
    if [ "$quoted" = 1 ] && [ -e "$src/$(dirname "$file")/$path" ]; then
        resolved=$(dirname "$file")/$path
    elif [ -e "$src/$path" ]; then
        resolved=$path
    elif [[ $path == */* ]] && { [ "$quoted" = 1 ] || [ -n "${rank_of[${path%%/*}]:-}" ]; }; then
        resolved=$path # not there yet: taken from src/
    fi
    [ -n "$resolved" ] || return 0
    resolved=$(normalized "$resolved")
    case $resolved in
    ../* | ..) echo "(outside the folders)" ;;
    */*) echo "${resolved%%/*}" ;;
    *) echo "(outside the folders)" ;;
    esac
}

check() {
    local src=$1 bad=0 file folder relative line number target from to path quoted
    local form='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]*)[">]'
    while IFS=: read -r file number line; do
        folder=${file#"$src"/}
        folder=${folder%%/*}
        relative=${file#"$src"/}
        if ! [[ $line =~ $form ]]; then
            echo "$file:$number: an include that names no file cannot be checked: $line" >&2
            bad=1
            continue
        fi
        quoted=0
        [ "${BASH_REMATCH[1]}" = '"' ] && quoted=1
        path=${BASH_REMATCH[2]}
        target=$(target_folder "$src" "$relative" "$path" "$quoted")
        [ -n "$target" ] || continue
        from=$(rank "$folder")
        to=$(rank "$target")
        if [ "$from" -lt 0 ] || [ "$to" -lt 0 ]; then
            echo "$file:$number: folder not in the include order: $line" >&2
            bad=1
        elif [ "$to" -lt "$from" ]; then
            echo "$file:$number: $folder/ includes $target/, which stands above it: $line" >&2
            bad=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include' "$src" --include='*.cpp' --include='*.hpp')
    return $bad
}

# One row of the self-test: a copy of src/ with line appended to file (under
# src/), checked by this script as a whole; expect is "fails" or "passes".
self_test_row() {
    local file=$1 line=$2 expect=$3 copy status=0 number
    copy=$(mktemp -d "${DIGIT_TINT_SCRATCH:-${TMPDIR:-/tmp}}/digit-tint-layers.XXXXXX")
    cp -rL "$top/src" "$copy/src" # a copy, also where src/ is a link
    printf '%s\n' "$line" >>"$copy/src/$file"
    number=$(wc -l <"$copy/src/$file")
    bash "$0" "$copy/src" >"$copy/out" 2>&1 || status=$?
    local folder=${file%%/*} named=0
    grep -qF "$copy/src/$file:$number: $folder/ includes run/" "$copy/out" && named=1
    local verdict=ok
    if [ "$expect" = fails ] && { [ $status -eq 0 ] || [ $named = 0 ]; }; then
        verdict="passed, or failed without naming $file:$number (status $status)"
    elif [ "$expect" = passes ] && [ $status -ne 0 ]; then
        verdict="failed (status $status)"
    fi
    if [ "$verdict" != ok ]; then
        echo "check-layers: '$line' planted in $file $verdict:" >&2
        cat "$copy/out" >&2
    fi
    rm -rf "$copy"
    [ "$verdict" = ok ]
}

if [ "${1:-}" = "--self-test" ]; then
    failed=0
    while IFS='|' read -r file line expect; do
        self_test_row "$file" "$line" "$expect" || failed=1
    done <<'ROWS'
stream/console.cpp|#include "run/messages.hpp"|fails
stream/console.cpp|  #  include "run/messages.hpp"|fails
stream/console.cpp|#include <run/messages.hpp>|fails
stream/console.hpp|#include "run/messages.hpp"|fails
stream/console.hpp|	# include "../run/messages.hpp"|fails
run/usage.cpp|  #  include "stream/console.hpp"|passes
run/usage.cpp|#include <cstdio>|passes
ROWS
    [ $failed = 0 ] || exit 1
    echo "check-layers: every planted upward include fails, named with its file and line"
    exit 0
fi

check "${1:-$top/src}"
echo "check-layers: every include of src/ points down (${order[*]})"
