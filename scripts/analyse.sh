#!/usr/bin/env bash
# Reads the sources with clang-tidy (the checks of .clang-tidy, clang's own warnings among them)
# and with clazy's Qt checks, from the compile commands of a configured build folder, in one pass:
# each source is handed to both tools by the same worker, as many workers as processors. Fails on
# any finding of either.
#   BUILD_DIR  build folder (default: build)
#   ANALYSERS  which tools to run, of "clang-tidy clazy" (default: both)
# Given file names, reads those; else every source of the program, its tools and tests (the
# benchmarks and the fuzz targets are configured apart), never generated moc files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
analysers=${ANALYSERS:-clang-tidy clazy}
[ -f "$build/compile_commands.json" ] || { echo "analyse: no compile_commands.json in $build; configure it first" >&2; exit 1; }
for analyser in $analysers; do
    case $analyser in
    clang-tidy) tool=clang-tidy ;;
    clazy) tool=clazy-standalone ;;
    *) echo "analyse: no analyser named $analyser" >&2; exit 1 ;;
    esac
    command -v "$tool" >/dev/null || { echo "analyse: $tool is not installed (scripts/setup.sh)" >&2; exit 1; }
done

if [ $# -gt 0 ]; then
    sources=()
    for source in "$@"; do sources+=("$(realpath "$source")"); done
else
    mapfile -t sources < <(cd "$root" && git ls-files '*.cpp' | grep -E '^(src|tests|tools)/' | sed "s|^|$root/|")
fi

# clazy's checks below are errors: each one names a way Qt code can read freed memory or detach a
# container by accident.
clazy_checks=auto-unexpected-qstringbuilder,temporary-iterator,lambda-in-connect,detaching-temporary,strict-iterators,range-loop-detach

# One source through every analyser; prints the findings and fails when there are any.
analyse_one() {
    local source=$1 failed=0 output
    for analyser in $analysers; do
        case $analyser in
        clang-tidy)
            # The compile commands are g++'s: a warning option that clang lacks is no finding.
            if ! output=$(clang-tidy --quiet -p "$build" --extra-arg=-Wno-unknown-warning-option "$source" 2>&1); then
                echo "$output" | grep -v ' warnings\? generated\.$'
                failed=1
            fi
            ;;
        clazy)
            output=$(clazy-standalone -p "$build" --checks="$clazy_checks" --extra-arg=-Wno-unknown-warning-option \
                --extra-arg=-Wno-error "$source" 2>&1) || { echo "$output"; echo "clazy: $source did not compile"; failed=1; }
            if echo "$output" | grep -Eq '(warning|error): .*\[-W(error,-W)?clazy-'; then
                echo "$output" | grep -EA3 '(warning|error): .*\[-W(error,-W)?clazy-'
                failed=1
            fi
            ;;
        esac
    done
    return $failed
}
export -f analyse_one
export build analysers clazy_checks

if printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} bash -c 'analyse_one "$1"' _ {}; then
    echo "analyse: ${#sources[@]} sources, no findings ($analysers)"
else
    echo "analyse: findings above ($analysers)" >&2
    exit 1
fi
