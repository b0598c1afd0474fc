#!/usr/bin/env bash
# Checks that clang-format, with the tree's .clang-format, leaves every C++
# source and header unchanged; names each file it would change and fails.
# FIX=1 formats them instead. The style is clang-format 14's (another
# version formats some constructs differently): CLANG_FORMAT names the
# program, else clang-format-14, else clang-format, whichever is version 14.
# Without one it says so and ends with status 77 (the test counts as
# skipped; setup.sh installs it).
set -uo pipefail
cd "$(dirname "$0")/.."

find_formatter() {
    local c candidates=(clang-format-14 clang-format)
    [ -n "${CLANG_FORMAT:-}" ] && candidates=("$CLANG_FORMAT")
    for c in "${candidates[@]}"; do
        if command -v "$c" >/dev/null && "$c" --version 2>/dev/null | grep -q "version 14\."; then
            echo "$c"
            return 0
        fi
    done
    return 1
}
if ! fmt=$(find_formatter); then
    echo "check-format.sh: no clang-format 14 found (clang-format-14 or CLANG_FORMAT); not checked" >&2
    exit 77
fi

# The C++ files of the source: those git tracks or would track, else every
# one outside the build directories.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.cc' |
                         while IFS= read -r f; do [ -f "$f" ] && echo "$f"; done)
else
    mapfile -t files < <(find . -path './build*' -prune -o -type f \( -name '*.h' -o -name '*.hpp' \
                         -o -name '*.cpp' -o -name '*.cc' \) -print | sed 's|^\./||' | sort)
fi
[ ${#files[@]} -gt 0 ] || { echo "check-format.sh: no C++ files found" >&2; exit 1; }

if [ "${FIX:-0}" = 1 ]; then
    "$fmt" -i "${files[@]}"
    exit $?
fi
# One run over every file: each change it would make is reported as an
# error "code should be clang-formatted" at the file's line.
out=$("$fmt" --dry-run --Werror "${files[@]}" 2>&1)
status=$?
if [ $status -ne 0 ]; then
    bad=$(echo "$out" | sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
    if [ -z "$bad" ]; then
        echo "$out" >&2
        echo "check-format.sh: $fmt failed (status $status)" >&2
        exit 1
    fi
    echo "$bad" | sed 's/^/not formatted: /' >&2
    echo "$(echo "$bad" | wc -l) of ${#files[@]} files differ from $fmt's output; FIX=1 $0 formats them" >&2
    exit 1
fi
echo "${#files[@]} files formatted as $fmt formats them"
