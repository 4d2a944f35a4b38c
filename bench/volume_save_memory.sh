#!/usr/bin/env bash
# Peak resident memory of saving a volume (saveVolumeData, xSaveVolumeData) beside that of
# only making it: the saves write their files piece by piece, so they should add a few MB, not
# the file's size. The volume is SIDE x SIDE x SIDE voxels of 2 bytes.
# Usage: bench/volume_save_memory.sh [build folder] [side]   (defaults: build, 512: 256 MB)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
side="${2:-512}"
calc="$build/pravella-calc"
[ -x "$calc" ] || { echo "no $calc: build first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

peak_mib() {  # peak resident memory of pravella-calc on the program $1, in MiB
  printf '%s' "$1" >"$tmp/p.vk"
  /usr/bin/time -f %M -o "$tmp/rss" "$calc" "$tmp/p.vk" >/dev/null 2>&1 || true
  echo $(($(tail -1 "$tmp/rss") / 1024))
}

make="createVolumeData(|$side, $side, $side|);"
echo "volume of $((side * side * side * 2 / 1048576)) MiB"
printf '%-16s %8s\n' "run" "peak MiB"
printf '%-16s %8s\n' "make only" "$(peak_mib "$make")"
printf '%-16s %8s\n' "saveVolumeData" "$(peak_mib "$make saveVolumeData(\"$tmp/v.vol\", |1, 1, 1|);")"
printf '%-16s %8s\n' "xSaveVolumeData" "$(peak_mib "$make xSaveVolumeData(\"$tmp/v.raw\");")"
