#!/usr/bin/env bash
# Installs what is needed, builds the program, points a fresh settings store at the bundled sample
# service, runs one unattended unloading and shows where the documents and protocols went.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target N7_Fetchling -- -j"${JOBS:-4}"

demo=${DEMO_DIR:-$(mktemp -d /tmp/n7-fetchling-demo.XXXXXX)}
export N7_REGISTRY_DIR="$demo/registry"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$demo/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
program="$build/src/app/N7_Fetchling"
"$program" --configure-demo "$root/samples/sandbox" "$demo/out"
"$program" /AUTOSTART

echo
echo "Unload folder: $demo/out"
echo "Protocols written:"
find "$demo/out" -maxdepth 1 -type f -name 'Протокол*' -printf '  %f\n' | sort
