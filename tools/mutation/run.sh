#!/usr/bin/env bash
# The mutation check: how many small faults in the tool the fast tests catch.
#
#   tools/mutation/run.sh [options]
#     --only ID       run this mutant only (repeatable; shell patterns: 'scan.*')
#     --sample N      run N of the selected mutants, drawn at random
#     --seed S        the draw's seed (default 1): the same S, list and
#                     selection draw the same mutants on any machine
#     --list          check the list against the tree and show it; builds nothing
#     --guard ARGS    guard-compare options for survivors (default: "--count 200")
#     --jobs N        build jobs (default 2)
#
# Each mutant of tools/mutation/mutants.txt (a file under src/ or
# tools/host/, an exact snippet and its replacement) is applied, one at a
# time, to a copy of the working tree in build/mutation/tree; the working
# tree itself is never written. The copy is rebuilt incrementally (Release,
# build/mutation/build) and the fast tests run against it: the unit tests,
# every end-to-end test and the fault-injection case of a traced run whose
# write fails; for a mutant of the companion (tools/host/), its own tests. A
# mutant of src/os/os_windows.cpp is cross-built with MinGW-w64 instead
# (build/mutation/windows) and met by the end-to-end tests against the .exe
# under Wine, as the Windows preset runs them. A mutant the tests miss is run
# through the differential guard against the unmutated tool: a difference
# makes it a gap, no difference an equivalent mutant (the list names why each
# known one changes nothing). The guard runs the native tool alone, so a
# survivor under Wine or in the companion is left to the list's reason. A
# snippet that is no longer in its file, or is there more than once, makes
# the mutant stale: it is reported apart and not counted, so the list can be
# brought up to date after src/ changed. --sample 20 took 5 minutes on two
# cores (a killed mutant takes seconds, an equivalent one or one in a header
# most of a minute); with --list it shows which mutants a draw takes.
#
# Status 0: no gap, no stale entry and every survivor's reason listed;
# 1: something in the report needs attention; 2: the check could not run.
set -uo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
list=$top/tools/mutation/mutants.txt
work=$top/build/mutation
tree=$work/tree
bin=$work/build
win=$work/windows
windows_file=src/os/os_windows.cpp
logs=$work/logs
scratch=$work/scratch
jobs=2
guard_args="--count 200"
only=()
list_only=0
sample=0
seed=1

usage() {
    sed -n '4,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case $1 in
    --only) [ $# -ge 2 ] || usage; only+=("$2"); shift 2 ;;
    --sample) [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage; sample=$((10#$2)); shift 2 ;;
    --seed) [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage; seed=$((10#$2)); shift 2 ;;
    --list) list_only=1; shift ;;
    --guard) [ $# -ge 2 ] || usage; guard_args=$2; shift 2 ;;
    --jobs) [ $# -ge 2 ] || usage; jobs=$2; shift 2 ;;
    *) usage ;;
    esac
done

# ---- the list ------------------------------------------------------------------
# "@ ID FILE" starts a mutant; "- TEXT" lines are the snippet, "+ TEXT" lines
# its replacement (none: the snippet is deleted), "= TEXT" why it changes no
# output. Several "-" or "+" lines join with line ends.

ids=() files=() froms=() tos=() reasons=()
parse_list() {
    local line n=-1 minus=0 plus=0
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
        '@ '*)
            n=$((n + 1)) minus=0 plus=0
            read -r _ "ids[n]" "files[n]" _ <<<"$line"
            froms[n]='' tos[n]='' reasons[n]=''
            ;;
        '- '* | '-')
            [ $((minus++)) -gt 0 ] && froms[n]+=$'\n'
            froms[n]+=${line:2}
            ;;
        '+ '* | '+')
            [ $((plus++)) -gt 0 ] && tos[n]+=$'\n'
            tos[n]+=${line:2}
            ;;
        '= '*) reasons[n]=${line:2} ;;
        '#'* | '') ;;
        *)
            echo "mutation: $list: cannot read: $line" >&2
            exit 2
            ;;
        esac
    done <"$list"
}

selected() {
    [ ${#only[@]} -eq 0 ] && return 0
    local pattern
    for pattern in "${only[@]}"; do
        # shellcheck disable=SC2053
        [[ $1 == $pattern ]] && return 0
    done
    return 1
}

# The indexes of the mutants to run, in list order: the selected ones, or N
# of them drawn by a Fisher-Yates shuffle driven by a linear congruential
# generator of its own (31 bits, the constants of the C standard's example
# rand), so that a seed draws the same mutants whatever the machine, its awk
# or its shuf.
chosen=()
choose() {
    local i j t x
    for i in "${!ids[@]}"; do selected "${ids[i]}" && chosen+=("$i"); done
    [ "$sample" -gt 0 ] && [ "$sample" -lt ${#chosen[@]} ] || return 0
    x=$((seed % 2147483648))
    for ((i = ${#chosen[@]} - 1; i > 0; i--)); do
        x=$(((1103515245 * x + 12345) % 2147483648))
        j=$((x % (i + 1)))
        t=${chosen[i]} chosen[i]=${chosen[j]} chosen[j]=$t
    done
    # shellcheck disable=SC2207
    chosen=($(printf '%s\n' "${chosen[@]:0:sample}" | sort -n))
    drawn=" (a sample drawn with seed $seed)"
}

# Replaces the one occurrence of $2 in file $1 by $3. Status 3: not there,
# 4: there more than once; with $4 = check, the file is left as it is.
substitute() {
    perl -e '
        my ($file, $from, $to, $mode) = @ARGV;
        open(my $in, "<", $file) or exit 3;
        local $/;
        my $text = <$in>;
        close $in;
        my $at = index($text, $from);
        exit 3 if $from eq "" || $at < 0;
        exit 4 if index($text, $from, $at + 1) >= 0;
        exit 0 if $mode eq "check";
        substr($text, $at, length $from) = $to;
        open(my $out, ">", $file) or exit 5;
        print $out $text;
        close $out or exit 5;
    ' "$1" "$2" "$3" "${4:-apply}"
}

# ---- the copy of the working tree -------------------------------------------------

# Brings the copy to the working tree's files, tracked and new, touching only
# what differs so that the build stays incremental.
sync_tree() {
    mkdir -p "$tree"
    local wanted=$work/files.txt
    (cd "$top" && git ls-files -z --cached --others --exclude-standard) |
        tr '\0' '\n' | sort >"$wanted"
    local f
    while IFS= read -r f; do
        [ -f "$top/$f" ] || continue
        if ! cmp -s "$top/$f" "$tree/$f"; then
            mkdir -p "$(dirname "$tree/$f")"
            cp "$top/$f" "$tree/$f"
        fi
    done <"$wanted"
    (cd "$tree" && find . -type f | sed 's|^\./||' | sort) | comm -23 - "$wanted" |
        while IFS= read -r f; do rm -f "$tree/$f"; done
}

mutated=''
restore() {
    [ -n "$mutated" ] && cp "$top/$mutated" "$tree/$mutated"
    mutated=''
}

# ---- running things -----------------------------------------------------------------

# Runs a command under a time limit in the background, so that Ctrl-C reaches
# this script at once and the trap can end the command by its id.
child=''
limited() {
    local seconds=$1
    shift
    timeout -k 10 "$seconds" "$@" &
    child=$!
    wait "$child"
    local status=$?
    child=''
    return $status
}

build() {
    limited 3600 cmake --build "$bin" --parallel "$jobs" \
        --target digit-tint unit_tests e2e_tests fault_injection host_tests >>"$1" 2>&1
}

# The fast tests against the tool in the build directory; their scratch
# directories go under build/mutation/scratch, emptied after every run.
run_tests() {
    local log=$1 status=0
    local env=(env TMPDIR="$scratch" DIGIT_TINT_SCRATCH="$scratch" DIGIT_TINT="$bin/digit-tint")
    rm -rf "$scratch" && mkdir -p "$scratch"
    # The case runner first: it catches most mutants, and soonest.
    limited 300 "${env[@]}" "$bin/tests/e2e_tests" --gtest_filter='Files/Cases.*' \
        --gtest_brief=1 --gtest_fail_fast >>"$log" 2>&1 &&
        limited 300 "${env[@]}" "$bin/tests/unit_tests" --gtest_brief=1 --gtest_fail_fast \
            >>"$log" 2>&1 &&
        limited 600 "${env[@]}" "$bin/tests/e2e_tests" --gtest_filter='-Files/Cases.*' \
            --gtest_brief=1 --gtest_fail_fast >>"$log" 2>&1 &&
        limited 300 "${env[@]}" "$bin/tests/fault_injection" "$bin/digit-tint" trace3-hand-points \
            >>"$log" 2>&1 || status=1
    rm -rf "$scratch"
    return $status
}

run_host_tests() {
    local status=0
    rm -rf "$scratch" && mkdir -p "$scratch"
    limited 600 env TMPDIR="$scratch" "$bin/tests/host/host_tests" --gtest_brief=1 \
        --gtest_fail_fast >>"$1" 2>&1 || status=1
    rm -rf "$scratch"
    return $status
}

# The Windows build of the copy, configured once and tested unmutated before
# its first mutant runs; status 1 where it cannot be (no MinGW-w64 or Wine).
windows_ready=''
prepare_windows() {
    [ -n "$windows_ready" ] && return "$windows_ready"
    windows_ready=1
    local log=$logs/windows-unmutated.log
    limited 3600 cmake -S "$tree" -B "$win" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
        --toolchain "$tree/cmake/mingw-w64-x86_64.cmake" -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF \
        >"$log" 2>&1 && grep -q '^DIGIT_TINT_WINE:FILEPATH=/' "$win/CMakeCache.txt" &&
        build_windows "$log" && run_windows_tests "$log" && windows_ready=0
    return "$windows_ready"
}

build_windows() {
    limited 3600 cmake --build "$win" --parallel "$jobs" \
        --target digit-tint hold_file start_closed wine_prefix >>"$1" 2>&1
}

# The native end-to-end tests against the .exe, with Wine's server and
# services started first as the Windows preset starts them.
run_windows_tests() {
    local log=$1 status=0 wine
    wine=$(sed -n 's/^DIGIT_TINT_WINE:FILEPATH=//p' "$win/CMakeCache.txt")
    rm -rf "$scratch" && mkdir -p "$scratch"
    cmake -P "$win/wine-server-up.cmake" >>"$log" 2>&1
    limited 900 env TMPDIR="$scratch" DIGIT_TINT="$win/digit-tint.exe" DIGIT_TINT_EMULATOR="$wine" \
        DIGIT_TINT_HOLD_FILE="$win/tests/hold_file.exe" \
        DIGIT_TINT_START_CLOSED="$win/tests/start_closed.exe" WINEPREFIX="$win/wine-prefix" \
        WINEDEBUG=-all "$bin/tests/e2e_tests" --gtest_brief=1 --gtest_fail_fast >>"$log" 2>&1 ||
        status=1
    rm -rf "$scratch"
    return $status
}

# 0: no difference, 1: differences, other: the guard could not run.
run_guard() {
    local status=0
    rm -rf "$scratch" && mkdir -p "$scratch"
    # shellcheck disable=SC2086
    limited 3600 env TMPDIR="$scratch" "$bin/tools/guard/guard-compare" "$work/digit-tint.unmutated" \
        "$bin/digit-tint" $guard_args --show 1 >>"$1" 2>&1 || status=$?
    rm -rf "$scratch"
    return $status
}

# ---- the report ------------------------------------------------------------------------

started=$SECONDS

show() {
    local id=$1 file=$2 from=$3 to=$4
    printf '  %-28s %s\n' "$id" "$file"
    printf '      - %s\n' "${from//$'\n'/$'\n'      - }"
    printf '      + %s\n' "${to//$'\n'/$'\n'      + }"
}

summary() {
    local k=0 e=0 g=0 b=0 s=0 u=0 i outcome
    for i in "${!ids[@]}"; do
        outcome=${outcome_of[i]:-}
        case $outcome in
        killed) k=$((k + 1)) ;;
        equivalent) e=$((e + 1)) ;;
        unexplained) e=$((e + 1)) u=$((u + 1)) ;;
        gap) g=$((g + 1)) ;;
        no-build) b=$((b + 1)) ;;
        stale) s=$((s + 1)) ;;
        esac
    done
    local total=$((k + e + g + b))
    echo
    echo "== mutation score: $k killed of $total mutants$drawn" \
        "($e equivalent, $g gaps, $b did not build; $s stale, not counted)" \
        "in $(((SECONDS - started) / 60)) min"
    if [ $g -gt 0 ]; then
        echo "== gaps: the tests pass, and the guard finds output that differs (logs: $logs)"
        for i in "${!ids[@]}"; do
            [ "${outcome_of[i]:-}" = gap ] && show "${ids[i]}" "${files[i]}" "${froms[i]}" "${tos[i]}"
        done
    fi
    if [ $e -gt 0 ]; then
        echo "== equivalent: the tests pass, and the guard finds no difference"
        for i in "${!ids[@]}"; do
            case ${outcome_of[i]:-} in
            equivalent) printf '  %-28s %s\n' "${ids[i]}" "${reasons[i]}" ;;
            unexplained) printf '  %-28s %s\n' "${ids[i]}" "NO REASON LISTED: check it by hand" ;;
            esac
        done
    fi
    if [ $s -gt 0 ]; then
        echo "== stale: the snippet is not in its file, or is there more than once"
        for i in "${!ids[@]}"; do
            [ "${outcome_of[i]:-}" = stale ] && show "${ids[i]}" "${files[i]}" "${froms[i]}" "${tos[i]}"
        done
    fi
    [ $g -eq 0 ] && [ $s -eq 0 ] && [ $u -eq 0 ]
}

interrupted() {
    trap - INT TERM
    [ -n "$child" ] && kill -TERM "$child" 2>/dev/null
    wait 2>/dev/null
    restore
    rm -rf "$scratch"
    echo
    echo "== interrupted: the copy is restored; the results so far" >&2
    summary
    exit 130
}

# ---- the check -------------------------------------------------------------------------

parse_list
outcome_of=()
[ ${#ids[@]} -gt 0 ] || { echo "mutation: $list holds no mutant" >&2; exit 2; }

drawn=''
choose

if [ $list_only -eq 1 ]; then
    status=0
    for i in "${chosen[@]}"; do
        substitute "$top/${files[i]}" "${froms[i]}" "${tos[i]}" check
        case $? in
        0) printf '%-28s %s\n' "${ids[i]}" "${files[i]}" ;;
        4) printf '%-28s %s  STALE: more than once\n' "${ids[i]}" "${files[i]}"; status=1 ;;
        *) printf '%-28s %s  STALE: not found\n' "${ids[i]}" "${files[i]}"; status=1 ;;
        esac
    done
    echo "${#ids[@]} mutants over $(printf '%s\n' "${files[@]}" | sort -u | wc -l) files;" \
        "${#chosen[@]} shown$drawn"
    exit $status
fi

trap interrupted INT TERM
trap 'restore; rm -rf "$scratch"' EXIT
mkdir -p "$logs"
rm -f "$logs"/*.log

echo "-- copying the working tree to $tree"
sync_tree
echo "-- building the unmutated tree (Release) in $bin"
generator=()
[ -f "$bin/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
# Warnings are no errors here: a mutant that only warns still counts.
if ! { cmake -S "$tree" -B "$bin" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
    -DCMAKE_COMPILE_WARNING_AS_ERROR=OFF >"$logs/unmutated.log" 2>&1 &&
    build "$logs/unmutated.log" &&
    limited 3600 cmake --build "$bin" --parallel "$jobs" --target guard-compare \
        >>"$logs/unmutated.log" 2>&1; }; then
    echo "mutation: the unmutated tree does not build: $logs/unmutated.log" >&2
    exit 2
fi
run_tests "$logs/unmutated.log" || {
    echo "mutation: the tests fail on the unmutated tree: $logs/unmutated.log" >&2
    exit 2
}
cp "$bin/digit-tint" "$work/digit-tint.unmutated"

count=${#chosen[@]}
echo "-- running $count of ${#ids[@]} mutants$drawn"
n=0
for i in "${chosen[@]}"; do
    n=$((n + 1))
    id=${ids[i]} file=${files[i]} log=$logs/${ids[i]}.log
    printf '[%3d/%d] %-28s ' "$n" "$count" "$id"
    if [ "$file" = "$windows_file" ] && ! prepare_windows; then
        outcome_of[i]=no-build
        echo "did not build: no Windows build here ($logs/windows-unmutated.log)"
        continue
    fi
    mutated=$file
    substitute "$tree/$file" "${froms[i]}" "${tos[i]}"
    case $? in
    0) ;;
    3 | 4)
        mutated=''
        outcome_of[i]=stale
        echo "stale"
        continue
        ;;
    *)
        echo "mutation: cannot write $tree/$file" >&2
        exit 2
        ;;
    esac
    show "$id" "$file" "${froms[i]}" "${tos[i]}" >"$log"
    builder=build tester=run_tests
    [ "$file" = "$windows_file" ] && builder=build_windows tester=run_windows_tests
    [[ $file == tools/host/* ]] && tester=run_host_tests
    if ! $builder "$log"; then
        outcome_of[i]=no-build
        echo "did not build"
    elif ! $tester "$log"; then
        outcome_of[i]=killed
        echo "killed"
    elif [ "$file" = "$windows_file" ] || [[ $file == tools/host/* ]]; then
        # the guard runs the native tool alone
        outcome_of[i]=${reasons[i]:+equivalent}
        outcome_of[i]=${outcome_of[i]:-unexplained}
        echo "survived${reasons[i]:+ (reason listed)}"
    else
        run_guard "$log"
        case $? in
        0)
            if [ -n "${reasons[i]}" ]; then
                outcome_of[i]=equivalent
                echo "equivalent"
            else
                outcome_of[i]=unexplained
                echo "survived, no difference found (no reason listed)"
            fi
            ;;
        1)
            outcome_of[i]=gap
            echo "GAP: survived, and changes output"
            ;;
        *)
            echo "mutation: the guard could not run: $log" >&2
            exit 2
            ;;
        esac
    fi
    restore
done
# The copy ends as the working tree is, so that its build stays the unmutated one.
build "$logs/unmutated.log"
[ "$windows_ready" = 0 ] && build_windows "$logs/windows-unmutated.log"
summary
