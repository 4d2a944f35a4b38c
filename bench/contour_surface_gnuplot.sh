#!/usr/bin/env bash
# Times two picture plots as whole commands, each beside gnuplot (pngcairo) drawing the same
# grid at the same picture size:
#   - the contour plot of a 500 by 500 grid with automatic levels (15 steps), 500 by 500
#     pixels; gnuplot draws the contours on the base with no surface;
#   - the value-coloured parametric surface of a 200 by 200 grid at the 3-D view's picture size
#     (300 by 300); gnuplot draws the same surface with pm3d.
# The grid is z(i, j) = sin(a_i) + cos(b_j). pravella-calc computes it and saves the picture
# as a picture file; gnuplot reads it from a data file and writes a PNG. Best of three
# wall-clock runs each.
# Usage: bench/contour_surface_gnuplot.sh [build folder]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=gnuplot_common.sh
source "$root/bench/gnuplot_common.sh"

# A row 0 .. n-1 as a literal (a literal holds at most as many values as the stack has
# entries, so 500 is fine); the grid is the outer sum of a column and a row.
row() { seq -s ', ' 0 $(($1 - 1)); }
r500="|$(row 500)|"
r200="|$(row 200)|"
printf 'setTopoWindowSize(|500, 500|); i = %s * 0.02; z = sin(i)'"'"' + cos(i * 1.3); p# = contourPlot(z); save(p#, "%s/contour.pict");' \
  "$r500" "$work" >"$work/contour.vk"
printf 'u = %s * 0.03; x = u'"'"' + u * 0; y = u'"'"' * 0 + u; z = sin(u)'"'"' + cos(u * 1.3); p# = parametricPlot3DColor(z, x, y, z); save(p#, "%s/surface.pict");' \
  "$r200" "$work" >"$work/surface.vk"

awk 'BEGIN { for (i = 0; i < 500; i++) { for (j = 0; j < 500; j++) printf "%s%.17g", (j ? " " : ""), sin(i * 0.02) + cos(j * 0.02 * 1.3); printf "\n" } }' >"$work/contour.dat"
awk 'BEGIN { for (i = 0; i < 200; i++) { for (j = 0; j < 200; j++) { z = sin(i * 0.03) + cos(j * 0.03 * 1.3); printf "%.17g %.17g %.17g %.17g\n", i * 0.03, j * 0.03, z, z } printf "\n" } }' >"$work/surface.dat"
gp_contour="set terminal pngcairo size 500,500; set output '$work/contour.png'; set contour base; unset surface; set view map; set cntrparam levels 15; unset key; splot '$work/contour.dat' matrix with lines"
gp_surface="set terminal pngcairo size 300,300; set output '$work/surface.png'; set pm3d; unset key; splot '$work/surface.dat' using 1:2:3:4 with pm3d"

export QT_QPA_PLATFORM=offscreen
for program in contour surface; do
  out=$("$calc" "$work/$program.vk" 2>&1) || true
  case "$out" in *.OK.*) ;; *) echo "the $program program failed: $out" >&2; exit 1 ;; esac
done
gnuplot -e "$gp_contour" && gnuplot -e "$gp_surface" || { echo "gnuplot failed" >&2; exit 1; }

t_contour=$(seconds "$calc" "$work/contour.vk")
t_gp_contour=$(seconds gnuplot -e "$gp_contour")
t_surface=$(seconds "$calc" "$work/surface.vk")
t_gp_surface=$(seconds gnuplot -e "$gp_surface")
printf '%-52s %8s s\n' "pravella-calc: contour plot of 500 x 500" "$t_contour"
printf '%-52s %8s s\n' "gnuplot pngcairo: contours of 500 x 500 on the base" "$t_gp_contour"
printf '%-52s %8s s\n' "pravella-calc: coloured surface of 200 x 200" "$t_surface"
printf '%-52s %8s s\n' "gnuplot pngcairo: pm3d surface of 200 x 200" "$t_gp_surface"
printf '%-52s %8.2f\n' "ratio contour pravella / gnuplot" "$(echo "$t_contour / $t_gp_contour" | bc -l)"
printf '%-52s %8.2f\n' "ratio surface pravella / gnuplot" "$(echo "$t_surface / $t_gp_surface" | bc -l)"
