#!/usr/bin/env bash
# Checks the documentation against the program and the repository:
# - every command of a sh block in README.md and docs/*.md that is marked
#   "# runnable" or runs examples/run-sample.sh ends with status 0 and leaves
#   nothing untracked or changed in the repository (build/ and out/ are
#   ignored by git);
# - the Windows guides keep their byte order mark, CR LF line ends and 80
#   columns, a full-width character counting two.
set -euo pipefail
cd "$(dirname "$0")/.."
failed=0

# The commands of the sh blocks of a Markdown file that are to be run.
runnable_commands() {
    awk '/^```sh$/ { inside = 1; next } /^```/ { inside = 0 }
         inside && (/# runnable/ || /^examples\/run-sample\.sh/) { print }' "$1"
}

before=$(git status --porcelain --untracked-files=all)
for doc in README.md docs/*.md; do
    while IFS= read -r command; do
        if ! bash -c "$command" >/dev/null 2>&1 </dev/null; then
            echo "$doc: failed: $command"
            failed=1
        fi
        after=$(git status --porcelain --untracked-files=all)
        if [ "$after" != "$before" ]; then
            echo "$doc: left in the repository: $command"
            diff <(echo "$before") <(echo "$after") | sed -n 's/^> /  /p'
            failed=1
            before=$after
        fi
    done < <(runnable_commands "$doc")
done

for guide in packaging/windows/README.txt packaging/windows/README.ja.txt; do
    [ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
        { echo "$guide: no byte order mark"; failed=1; }
    lines=$(wc -l <"$guide")
    [ "$(grep -c $'\r$' "$guide")" = "$lines" ] || { echo "$guide: a line without CR LF"; failed=1; }
    width=$(tail -c +4 "$guide" | tr -d '\r' | LC_ALL=C.UTF-8 wc -L)
    [ "$width" -le 80 ] || { echo "$guide: $width columns"; failed=1; }
done

[ "$failed" = 0 ] && echo "documentation: commands ran clean, guides in form"
exit "$failed"
