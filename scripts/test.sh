#!/usr/bin/env bash
# Sets up, builds and runs every test. ctest runs under xvfb-run, so that tests labelled gl or
# x11 get a real X display; the others run on Qt's offscreen platform.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "$build"
xvfb-run -a -s "-screen 0 1600x1200x24" \
  ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
