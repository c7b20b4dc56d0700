#!/usr/bin/env bash
# Builds the libFuzzer target fuzz_ini (the settings-file engine) with clang in
# build-fuzz/ and runs it for 20 seconds over its seed corpus.
# Usage: scripts/check-fuzz.sh   (an argument, such as test.sh's build dir, is ignored)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
    -DCMAKE_CXX_COMPILER=clang++-14 -DHONURA_FUZZ=ON >/dev/null
cmake --build "$dir" --target fuzz_ini -j 2
ctest --test-dir "$dir" -L fuzz --output-on-failure
