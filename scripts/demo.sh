#!/usr/bin/env bash
# Builds the program and starts it unattended against a fresh settings store of its own.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target N7_Fetchling

demo=${DEMO_DIR:-$(mktemp -d /tmp/n7-fetchling-demo.XXXXXX)}
export N7_REGISTRY_DIR="$demo/registry"
export QT_QPA_PLATFORM=offscreen
"$build/src/app/N7_Fetchling" /AUTOSTART
echo "demo folder: $demo"
