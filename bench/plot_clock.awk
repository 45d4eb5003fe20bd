# The tool's clock (x, seconds) against the dialog's percentage (y) from
# clock.csv, as an SVG, with the line a perfect display would follow.
# awk -F, -v duration=SECONDS -f plot_clock.awk clock.csv > clock.svg
NR == 1 { next }
{ x[n] = $1; y[n] = $2; n++; if ($1 > max) max = $1 }
END {
  if (duration > 0) max = duration
  if (max == 0) max = 1
  w = 480; h = 240; m = 40
  printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" font-family=\"sans-serif\" font-size=\"11\">\n", w + 2 * m, h + 2 * m
  printf "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"#888\"/>\n", m, m, w, h
  printf "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#bbb\" stroke-dasharray=\"4 3\"/>\n", m, m + h, m + w, m
  printf "<polyline fill=\"none\" stroke=\"#1565c0\" stroke-width=\"1.5\" points=\""
  for (i = 0; i < n; i++) printf "%.1f,%.1f ", m + x[i] / max * w, m + h - y[i] / 100 * h
  printf "\"/>\n"
  printf "<text x=\"%d\" y=\"%d\" text-anchor=\"middle\">tool time=, seconds (0 to %d)</text>\n", m + w / 2, h + 2 * m - 8, max
  printf "<text x=\"12\" y=\"%d\" transform=\"rotate(-90 12 %d)\" text-anchor=\"middle\">dialog percent</text>\n", m + h / 2, m + h / 2
  printf "<text x=\"%d\" y=\"%d\">dashed: tool time / duration</text>\n", m + 8, m + 14
  printf "</svg>\n"
}
