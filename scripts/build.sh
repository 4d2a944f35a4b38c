#!/usr/bin/env bash
# Configures and builds Pravella into build/ (Ninja, RelWithDebInfo unless BUILD_TYPE says otherwise).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
