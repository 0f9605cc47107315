#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every source of the tree (or the files given),
# from the compile commands of a configured build folder (BUILD_DIR, default build), in parallel.
exec env ANALYSERS=clang-tidy "$(dirname "$0")/analyse.sh" "$@"
