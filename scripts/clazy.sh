#!/usr/bin/env bash
# Runs clazy's Qt checks over every source of the tree (or the files given), from the compile
# commands of a configured build folder (BUILD_DIR, default build), in parallel.
exec env ANALYSERS=clazy "$(dirname "$0")/analyse.sh" "$@"
