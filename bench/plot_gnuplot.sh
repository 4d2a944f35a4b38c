#!/usr/bin/env bash
# Times a plot of 100,000 points as whole commands: pravella-calc making the points and the
# plot (lines with a dot at each point, 400 by 280, saved as a picture file) beside gnuplot
# drawing the same points with linespoints into a 400 by 280 pngcairo file. The points are
# x = 0 .. 99,999 and y = cos(x / 1000). Also times pravella-calc making the points alone, so
# that the plot's own share shows. Best of three wall-clock runs each.
# Usage: bench/plot_gnuplot.sh [build folder]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=gnuplot_common.sh
source "$root/bench/gnuplot_common.sh"

# The points in the language (a matrix literal may not hold more values than the stack has
# entries): outer sums of a column and a row, read row by row through changeMN, give the row
# 0 .. 999 and then the column 0 .. 99,999.
thousands=$(seq -s ', ' 0 1000 99000)
hundreds=$(seq -s ', ' 0 100 900)
units=$(seq -s ', ' 0 99)
points="r = changeMN(|$hundreds|' + |$units|, 1000); x = changeMN(|$thousands|' + r, 1); y = cos(x * 0.001);"
printf '%s' "$points" >"$work/points.vk"
printf '%s p# = plot(x, y); save(p#, "%s/plot.pict");' "$points" "$work" >"$work/plot.vk"

awk 'BEGIN { for (i = 0; i < 100000; i++) printf "%d %.17g\n", i, cos(i * 0.001) }' >"$work/points.dat"
gp="set terminal pngcairo size 400,280; set output '$work/plot.png'; plot '$work/points.dat' with linespoints pt 7 ps 0.3 notitle"

export QT_QPA_PLATFORM=offscreen
"$calc" "$work/plot.vk" >/dev/null 2>&1 || { echo "the plot program failed:" >&2; "$calc" "$work/plot.vk" >&2; exit 1; }
t_points=$(seconds "$calc" "$work/points.vk")
t_plot=$(seconds "$calc" "$work/plot.vk")
t_gnuplot=$(seconds gnuplot -e "$gp")
printf '%-40s %8s s\n' "pravella-calc: points only" "$t_points"
printf '%-40s %8s s\n' "pravella-calc: points, plot, save" "$t_plot"
printf '%-40s %8s s\n' "gnuplot pngcairo: read points, plot" "$t_gnuplot"
printf '%-40s %8.2f\n' "ratio pravella / gnuplot" "$(echo "$t_plot / $t_gnuplot" | bc -l)"
