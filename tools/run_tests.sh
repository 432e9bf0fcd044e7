#!/usr/bin/env bash
# Builds the project and runs every test, then builds it again with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs every test once more.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

build_and_test() {
  local dir=$1
  shift
  cmake -S "$top" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

build_and_test "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build_and_test "$top/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DZN_SANITIZE=ON
