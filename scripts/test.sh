#!/usr/bin/env bash
# Builds honura and passes every test: the unit, widget and end-to-end suites
# (the latter on private X servers), the same suites under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the release checks.
# Usage: scripts/test.sh [--quick]   (--quick: the plain suite only)
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test || exit 1
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
jobs=$(nproc)
failed=()

stage() { # stage <name> <command...>
    local name=$1
    shift
    echo "==== $name"
    if "$@"; then echo "==== $name: ok"; else echo "==== $name: FAILED"; failed+=("$name"); fi
}

suite() { # suite <build-dir> <cmake options...>
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null &&
        cmake --build "$dir" -j "$jobs" &&
        ctest --test-dir "$dir" --output-on-failure --timeout 600 -j 2
}

stage "tests" suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHONURA_TESTS=ON

if [ "${1:-}" != "--quick" ]; then
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=0:detect_odr_violation=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    stage "tests under ASan+UBSan" suite build-asan -DCMAKE_BUILD_TYPE=Debug -DHONURA_SANITIZE=ON -DHONURA_TESTS=ON
    unset ASAN_OPTIONS UBSAN_OPTIONS
    for check in scripts/check-*.sh; do
        [ -x "$check" ] && stage "$(basename "$check" .sh)" "$check" build
    done
fi

if [ ${#failed[@]} -eq 0 ]; then
    echo "All test stages passed."
    exit 0
fi
echo "Failed stages: ${failed[*]}"
exit 1
