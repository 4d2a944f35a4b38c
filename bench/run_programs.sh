#!/usr/bin/env bash
# Times pravella-calc on the loop programs of bench/programs/ beside the same programs in
# Lua 5.4 and Python 3 (where those interpreters are installed) and prints the ratios.
# Usage: bench/run_programs.sh [build folder]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
calc="$build/pravella-calc"
[ -x "$calc" ] || { echo "no $calc: build first" >&2; exit 2; }

seconds() {  # best of three wall-clock runs of a command, in seconds
  local best=""
  for _ in 1 2 3; do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

lua=$(command -v lua5.4 || true)
python=$(command -v python3 || true)
printf '%-14s %10s %10s %10s %12s %12s\n' program pravella lua5.4 python3 'pv/lua' 'pv/python'
for vk in "$root"/bench/programs/*.vk; do
  name=$(basename "$vk" .vk)
  t=$(seconds "$calc" "$vk")
  tl=-; tp=-; rl=-; rp=-
  if [ -n "$lua" ] && [ -f "${vk%.vk}.lua" ]; then
    tl=$(seconds "$lua" "${vk%.vk}.lua"); rl=$(printf '%.2f' "$(echo "$t / $tl" | bc -l)")
    tl=$(printf '%.3f' "$tl")
  fi
  if [ -n "$python" ] && [ -f "${vk%.vk}.py" ]; then
    tp=$(seconds "$python" "${vk%.vk}.py"); rp=$(printf '%.2f' "$(echo "$t / $tp" | bc -l)")
    tp=$(printf '%.3f' "$tp")
  fi
  printf '%-14s %10.3f %10s %10s %12s %12s\n' "$name" "$t" "$tl" "$tp" "$rl" "$rp"
done
