#!/usr/bin/env bash
# check-style.sh <build-dir> [--fix]
#
# Formatting: clang-format (the repository's .clang-format) over the C++ files
# of src/, tests/ and packaging/; with --fix the files are formatted in place
# instead of checked.
# Lint: clang-tidy (the repository's .clang-tidy) over every source file under
# src/ that the build compiles, with the build's compile_commands.json.
# Exits non-zero on any finding.
set -euo pipefail

build=${1:?usage: check-style.sh <build-dir> [--fix]}
fix=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
fail() {
    echo "check-style: FAIL: $*" >&2
    exit 1
}
for tool in clang-format clang-tidy run-clang-tidy; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see scripts/deps.sh)"
done

cd "$root"
mapfile -t sources < <(find src tests packaging -name '*.cpp' -o -name '*.h' | sort)

if [[ $fix == --fix ]]; then
    clang-format -i "${sources[@]}"
    echo "check-style: formatted ${#sources[@]} files"
    exit 0
fi

status=0
if ! clang-format --dry-run --Werror "${sources[@]}" 2>"$build/clang-format.log"; then
    grep -E '^[^ ].*: error:' "$build/clang-format.log" | cut -d: -f1 | sort | uniq -c >&2 || true
    echo "check-style: clang-format: files above differ from .clang-format" \
        "(details in $build/clang-format.log; fix: scripts/check-style.sh $1 --fix)" >&2
    status=1
else
    echo "check-style: clang-format: ${#sources[@]} files clean"
fi

# Generated headers (moc, version.h) must exist before clang-tidy reads the code.
[[ -f $build/compile_commands.json ]] || fail "no $build/compile_commands.json (configure first)"
cmake --build "$build" -j2 >"$build/check-style-build.log" 2>&1 || {
    tail -n 40 "$build/check-style-build.log" >&2
    fail "the build failed"
}
if ! run-clang-tidy -p "$build" -quiet -j 2 \
    -header-filter "^$root/src/" "^$root/src/" >"$build/clang-tidy.log" 2>&1; then
    # Findings only, without the runner's command lines and the counts of
    # warnings suppressed in system headers.
    sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" |
        grep -vE '^(clang-tidy|[0-9]+ warnings? (and [0-9]+ errors? )?generated|Suppressed|Use -header-filter|Running clang-tidy)' >&2 || true
    echo "check-style: clang-tidy: findings above (log: $build/clang-tidy.log)" >&2
    status=1
else
    echo "check-style: clang-tidy: clean"
fi
exit $status
