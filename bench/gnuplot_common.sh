# Shared by the benchmarks that time pravella-calc beside gnuplot (source it after setting
# `root`): finds the build's pravella-calc, checks for gnuplot, makes a work folder removed on
# exit, and defines `seconds COMMAND...`, the best of three wall-clock runs.
build="${1:-$root/build}"
calc="$build/pravella-calc"
[ -x "$calc" ] || { echo "no $calc: build first" >&2; exit 2; }
command -v gnuplot >/dev/null || { echo "gnuplot is not installed" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seconds() {
  local best=""
  for _ in 1 2 3; do
    local start end t
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  printf '%.3f' "$best"
}
