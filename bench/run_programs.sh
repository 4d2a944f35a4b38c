#!/usr/bin/env bash
# Times pravella-calc on the programs of bench/programs/ beside the same programs in Lua 5.4
# and the system's Python 3, /usr/bin/python3 (where those are installed), and prints the
# ratios. Runs are paired:
# each round runs the three twins one after the other, and the ratio of each round is taken;
# the table shows the medians over the rounds, so that a load change on a shared machine
# touches both sides of a ratio alike.
# Every language is timed the same way, inside its own process, so that start-up and the
# loading of shared libraries (which are not the language's speed) stay out of the ratio: the
# program's text compiled and run, again until at least 0.05 s have passed (a program longer
# than that runs once), and the processor time of one run taken. Pravella's is
# bench_lang_programs (the run contract alone), Lua's and Python's small drivers below that do
# the same with load() and compile()/exec(). STARTUP=keep times whole processes of all three
# by the clock instead.
# Usage: bench/run_programs.sh [build folder] [rounds] [name filter]
#   (defaults: build, 5 rounds, every program)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-5}"
filter="${3:-}"
calc="$build/pravella-calc"
[ -x "$calc" ] || { echo "no $calc: build first" >&2; exit 2; }

seconds() {  # wall-clock seconds of one run of a command
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() {  # median of the numbers given as arguments
  printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'
}

peak_mib() {  # peak resident memory of one run of a command, in MiB
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M -o "$tmp/rss" "$@" >/dev/null 2>&1 || true
    echo $(( $(tail -1 "$tmp/rss") / 1024 ))
  else
    echo -
  fi
}

inprocess() {  # processor seconds of one in-process run of a program (the mean of a few in 0.05 s)
  "$build/bench/bench_lang_programs" --benchmark_filter="program/$1/" --benchmark_min_time=0.05 \
    --benchmark_format=csv 2>/dev/null | awk -F, '$1 ~ /program/ {print $4 / 1000}'
}

driven() {  # the same for Lua or Python: interpreter, its driver, program; the driver prints it
  "$1" "$2" "$3" 0.05 2>&1 >/dev/null | tail -1
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The drivers: the program's text compiled and run until `min` processor seconds have passed,
# then the seconds of one run on standard error (its own output goes where the program's goes).
cat >"$tmp/drive.lua" <<'LUA'
local path, min = arg[1], tonumber(arg[2])
local file = assert(io.open(path, "rb"))
local text = file:read("a")
file:close()
local runs, start = 0, os.clock()
repeat
  assert(load(text, "@" .. path))()
  runs = runs + 1
until os.clock() - start >= min
io.stderr:write(string.format("%.9f\n", (os.clock() - start) / runs))
LUA
cat >"$tmp/drive.py" <<'PY'
import sys, time
path, least = sys.argv[1], float(sys.argv[2])
with open(path, "rb") as file:
    text = file.read()
runs, start = 0, time.process_time()
while True:
    exec(compile(text, path, "exec"), {"__name__": "__main__"})
    runs += 1
    if time.process_time() - start >= least:
        break
print(f"{(time.process_time() - start) / runs:.9f}", file=sys.stderr)
PY
lua=$(command -v lua5.4 || true)
# The system's Python, whatever else is first on PATH (a virtual environment's or a newer
# build's interpreter would make the ratios depend on who runs them); its NumPy for the twins
# that import it.
system_python=/usr/bin/python3
[ -x "$system_python" ] || system_python=""
numpy_python=""
if [ -n "$system_python" ] && "$system_python" -c 'import numpy' 2>/dev/null; then numpy_python=$system_python; fi
printf '%-20s %9s %9s %9s %9s %9s %8s %8s\n' program pravella lua5.4 python3 'pv/lua' 'pv/python' 'pv MiB' 'py MiB'
for vk in "$root"/bench/programs/*.vk; do
  name=$(basename "$vk" .vk)
  if [ -n "$filter" ] && [[ "$name" != *"$filter"* ]]; then continue; fi
  python=$system_python
  if [ -f "${vk%.vk}.py" ] && grep -q '^import numpy' "${vk%.vk}.py"; then python=$numpy_python; fi
  tv=(); tl=(); tp=(); rl=(); rp=()
  for _ in $(seq "$rounds"); do
    inside=
    if [ "${STARTUP:-}" != keep ] && [ -x "$build/bench/bench_lang_programs" ]; then inside=1; fi
    if [ -n "$inside" ]; then
      t=$(inprocess "$name")
    else
      t=$(seconds "$calc" "$vk")
    fi
    tv+=("$t")
    if [ -n "$lua" ] && [ -f "${vk%.vk}.lua" ]; then
      if [ -n "$inside" ]; then l=$(driven "$lua" "$tmp/drive.lua" "${vk%.vk}.lua"); else l=$(seconds "$lua" "${vk%.vk}.lua"); fi
      tl+=("$l"); rl+=("$(echo "$t / $l" | bc -l)")
    fi
    if [ -n "$python" ] && [ -f "${vk%.vk}.py" ]; then
      if [ -n "$inside" ]; then p=$(driven "$python" "$tmp/drive.py" "${vk%.vk}.py"); else p=$(seconds "$python" "${vk%.vk}.py"); fi
      tp+=("$p"); rp+=("$(echo "$t / $p" | bc -l)")
    fi
  done
  show() { if [ "$#" -gt 0 ]; then printf "%.${fmt}f" "$(median "$@")"; else printf -- -; fi; }
  fmt=3
  printf '%-20s %9s %9s %9s ' "$name" "$(show "${tv[@]}")" "$(show "${tl[@]+"${tl[@]}"}")" \
    "$(show "${tp[@]+"${tp[@]}"}")"
  fmt=2
  mp=-
  if [ -n "$python" ] && [ -f "${vk%.vk}.py" ]; then mp=$(peak_mib "$python" "${vk%.vk}.py"); fi
  printf '%9s %9s %8s %8s\n' "$(show "${rl[@]+"${rl[@]}"}")" "$(show "${rp[@]+"${rp[@]}"}")" \
    "$(peak_mib "$calc" "$vk")" "$mp"
done
