#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test through ctest.
#   BUILD_DIR          build folder (default: build)
#   FETCHLING_SANITIZE set to 1 for the AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

build=${BUILD_DIR:-$root/build}
sanitize=OFF
[ "${FETCHLING_SANITIZE:-0}" = 1 ] && sanitize=ON

cmake -S "$root" -B "$build" -G Ninja -DFETCHLING_WERROR=ON -DFETCHLING_SANITIZE=$sanitize
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
