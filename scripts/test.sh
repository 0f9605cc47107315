#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test through ctest.
#   BUILD_DIR          build folder (default: build)
#   FETCHLING_SANITIZE set to 1 for the AddressSanitizer + UndefinedBehaviorSanitizer build
#   FETCHLING_BENCH    set to 1 to build the benchmarks as well (they are never run here)
#   CTEST_PARALLEL_LEVEL  tests run at once (default: one per processor)
# Arguments go to ctest, e.g. `scripts/test.sh -LE slow` leaves out the tests labelled slow.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build=${BUILD_DIR:-$root/build}
sanitize=OFF
[ "${FETCHLING_SANITIZE:-0}" = 1 ] && sanitize=ON
bench=OFF
[ "${FETCHLING_BENCH:-0}" = 1 ] && bench=ON

started=$SECONDS
cmake -S "$root" -B "$build" -G Ninja -DFETCHLING_WERROR=ON -DFETCHLING_SANITIZE=$sanitize -DFETCHLING_BENCH=$bench
cmake --build "$build"
echo "test.sh: configured and built $build in $((SECONDS - started)) s"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
started=$SECONDS
ctest --test-dir "$build" --output-on-failure -j"${CTEST_PARALLEL_LEVEL:-$(nproc)}" "$@"
echo "test.sh: ran the tests of $build in $((SECONDS - started)) s"
