#!/usr/bin/env bash
# The differential guard for refactors: builds a git revision and the working
# tree, both Release, and runs guard-compare old-vs-new on the fuzz corpus,
# every end-to-end case and thousands of generated selections. 0 differences
# is the promise of a refactor.
#
#   tools/refactor-guard.sh REV [guard-compare options]     e.g. HEAD, main, a1b2c3d
#   tools/refactor-guard.sh --tools OLD NEW [options]       two binaries as they are
#
# REV is checked out into a temporary worktree under build/guard/, removed
# afterwards whatever happens. Options after it go to guard-compare: --quick,
# --count N, --seed S, --no-large, --only corpus,cases,generated,large,
# --show N, --save DIR, --timeout S (--help lists them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
guard_dir=$top/build/guard
jobs=${GUARD_BUILD_JOBS:-2}

usage() {
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

# Configures and builds targets of the tree at $1 into $2, Release, quietly.
build() {
    local source=$1 binary=$2
    shift 2
    # without the tests, but with the guard (a revision older than that
    # option builds the guard anyway)
    cmake -S "$source" -B "$binary" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DDIGIT_TINT_GUARD=ON --no-warn-unused-cli >/dev/null
    cmake --build "$binary" --parallel "$jobs" --target "$@" >/dev/null
}

# The working tree's guard-compare (and tool, unless only binaries are compared).
build_working_tree() {
    echo "-- building the working tree (Release) in build/guard/new" >&2
    build "$top" "$guard_dir/new" "$@"
}

# Runs are quicker on a memory disk: every run writes and renames its files.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

[ $# -ge 1 ] || usage
if [ "$1" = "--tools" ]; then
    [ $# -ge 3 ] || usage
    old=$2 new=$3
    shift 3
    build_working_tree guard-compare
    exec "$guard_dir/new/tools/guard/guard-compare" "$old" "$new" "$@"
fi

rev=$1
shift
sha=$(git -C "$top" rev-parse --verify --quiet "$rev^{commit}") || {
    echo "refactor-guard: $rev names no commit" >&2
    exit 2
}
worktree=$guard_dir/rev-$sha-$$
cleanup() {
    git -C "$top" worktree remove --force "$worktree" 2>/dev/null || rm -rf "$worktree"
    git -C "$top" worktree prune
    rm -rf "$guard_dir/old-$$"
}
trap cleanup EXIT
mkdir -p "$guard_dir"
echo "-- building $rev ($sha, Release) in a temporary worktree" >&2
git -C "$top" worktree add --quiet --detach "$worktree" "$sha"
build "$worktree" "$guard_dir/old-$$" digit-tint
build_working_tree digit-tint guard-compare
status=0
"$guard_dir/new/tools/guard/guard-compare" "$guard_dir/old-$$/digit-tint" \
    "$guard_dir/new/digit-tint" "$@" || status=$?
exit $status
