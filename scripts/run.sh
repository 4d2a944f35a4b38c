#!/usr/bin/env bash
# Sets up, builds and starts the application.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/pravella" "$@"
