#!/usr/bin/env bash
# Runs clazy's Qt checks over every source of the tree, from the compile commands of a configured
# build folder (BUILD_DIR, default build). The checks below are errors: each one names a way Qt
# code can read freed memory or detach a container by accident.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
command -v clazy-standalone >/dev/null || { echo "clazy: clazy-standalone is not installed (scripts/setup.sh)" >&2; exit 1; }
[ -f "$build/compile_commands.json" ] || { echo "clazy: no compile_commands.json in $build; configure it first" >&2; exit 1; }

checks=auto-unexpected-qstringbuilder,temporary-iterator,lambda-in-connect,detaching-temporary,strict-iterators,range-loop-detach

# Our own sources of the program, its tools and tests (the benchmarks and the fuzz target are
# configured apart), never generated moc files.
mapfile -t sources < <(cd "$root" && git ls-files '*.cpp' | grep -E '^(src|tests|tools)/' | sed "s|^|$root/|")
log=$(mktemp)
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 8 clazy-standalone -p "$build" --checks="$checks" \
        --extra-arg=-Wno-unknown-warning-option --extra-arg=-Wno-error \
        --extra-arg=-include --extra-arg="$root/scripts/clazy/source_location.h" >"$log" 2>&1 || { cat "$log"; echo "clazy: a source did not compile" >&2; exit 1; }
finding='(warning|error): .*\[-W(error,-W)?clazy-'
if grep -Eq "$finding" "$log"; then
    grep -EA3 "$finding" "$log"
    echo "clazy: $(grep -Ec "$finding" "$log") findings" >&2
    exit 1
fi
echo "clazy: ${#sources[@]} sources, no findings"
