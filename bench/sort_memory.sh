#!/usr/bin/env bash
# Peak resident memory of sorting 10,000,000 random numbers: pravella-calc beside NumPy on the
# system's Python (/usr/bin/python3), each a whole process from start to end, rounds
# interleaved, medians shown. NumPy runs twice: its default sort, and its stable sort (the
# language's sort is stable, so that is its like).
# Usage: bench/sort_memory.sh [build folder] [rounds]   (defaults: build, 5)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
rounds="${2:-5}"
calc="$build/pravella-calc"
python=/usr/bin/python3
[ -x "$calc" ] || { echo "no $calc: build first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
"$python" -c 'import numpy' 2>/dev/null || { echo "needs NumPy for $python (python3-numpy)" >&2; exit 2; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
n=10000000
echo "element($n); a = rand($n, 1); b = sort(a); b[1, 1] <= b[$n, 1];" >"$tmp/sort.vk"
numpy="import numpy as np; a = np.random.rand($n); b = np.sort(a%s); print(b[0] <= b[-1])"

peak_mib() {  # peak resident memory of one run of a command, in MiB
  /usr/bin/time -f %M -o "$tmp/rss" "$@" >/dev/null 2>&1
  echo $(( $(tail -1 "$tmp/rss") / 1024 ))
}

median() {
  printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'
}

pv=(); np=(); ns=()
for _ in $(seq "$rounds"); do
  pv+=("$(peak_mib "$calc" "$tmp/sort.vk")")
  np+=("$(peak_mib "$python" -c "$(printf "$numpy" '')")")
  ns+=("$(peak_mib "$python" -c "$(printf "$numpy" ", kind='stable'")")")
done
p=$(median "${pv[@]}"); d=$(median "${np[@]}"); s=$(median "${ns[@]}")
printf '%-34s %8s %8s\n' 'sort of 1e7 numbers, peak MiB' median ratio
printf '%-34s %8s\n' 'pravella-calc' "$p"
printf '%-34s %8s %8.2f\n' 'NumPy np.sort (default)' "$d" "$(echo "$p / $d" | bc -l)"
printf '%-34s %8s %8.2f\n' "NumPy np.sort(kind='stable')" "$s" "$(echo "$p / $s" | bc -l)"
