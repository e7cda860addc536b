#!/usr/bin/env bash
# Checks the documentation against the program and the repository:
# - every command of a sh block in README.md and docs/*.md that is marked
#   "# runnable" or runs examples/run-sample.sh ends with status 0 and leaves
#   nothing untracked or changed in the repository (build/ and out/ are
#   ignored by git);
# - the Windows guides keep their byte order mark, CR LF line ends and 76
#   columns, a full-width character counting two; every character survives a
#   save in the Japanese ANSI code page (CP932) unchanged; Japanese sentences
#   take full-width punctuation;
# - every zip name in the documentation carries the project's version.
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
    [ "$width" -le 76 ] || { echo "$guide: $width columns"; failed=1; }
    # Notepad saving as ANSI on a Japanese Windows maps through CP932: a
    # character it cannot hold, or one it maps to another, is changed.
    if ! tail -c +4 "$guide" | iconv -f UTF-8 -t CP932 | iconv -f CP932 -t UTF-8 |
        cmp -s - <(tail -c +4 "$guide"); then
        echo "$guide: a character that CP932 does not keep"
        failed=1
    fi
done

# Half-width , . : ; ( ) against Japanese text, or the Chinese-style ， ．
japanese='[\x{3000}-\x{30ff}\x{4e00}-\x{9fff}\x{ff01}-\x{ff5e}]'
if LC_ALL=C.UTF-8 grep -nP "$japanese[,.:;](?![A-Za-z0-9_~\$])|$japanese[()]|[()]$japanese|[，．]" \
    packaging/windows/README.ja.txt; then
    echo "packaging/windows/README.ja.txt: half-width punctuation in Japanese text (above)"
    failed=1
fi

# The zip's name, which users type to check its SHA-256, follows the version.
version=$(sed -n 's/^project(digit-tint VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if grep -noE 'digit-tint-[0-9]+\.[0-9]+\.[0-9]+-windows' README.md docs/*.md \
    packaging/windows/README.txt packaging/windows/README.ja.txt |
    grep -v -- "-$version-windows\$"; then
    echo "documentation: a zip name above is not of version $version"
    failed=1
fi

[ "$failed" = 0 ] && echo "documentation: commands ran clean, guides in form"
exit "$failed"
