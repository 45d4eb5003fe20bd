#!/usr/bin/env bash
# The benchmark: builds what is missing, makes its media once, runs the
# bench program under Wine and prints the figures. Not part of the test
# command. Figures go to build/bench/results.txt, the clock plot to
# build/bench/clock.svg.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
source "$root/tools/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start

media=$build/bench-media
mkdir -p "$media"
clip() { # name seconds
  [ -s "$media/$1" ] && return 0
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=640x360:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$2" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 96k "$media/$1.tmp.mkv"
  mv "$media/$1.tmp.mkv" "$media/$1"
}
for i in 0 1 2 3 4 5 6 7 8 9; do clip "clip60-$i.mkv" 60; done
clip clip600.mkv 600
clip tiny.mkv 1

# Two program folders: the real tool beside the bench for the speed figures,
# the fake one for the memory figures (a 200-file batch in seconds).
bench=$build/bench
for kind in speed memory; do
  mkdir -p "$bench/$kind/core"
  cp "$bench/bench.exe" "$bench/$kind/bench.exe"
done
cp "$build/app/core/zentrak.exe" "$bench/speed/core/zentrak.exe"
cp "$build/tests/faketool.exe" "$bench/memory/core/zentrak.exe"
out=$bench/out
rm -rf "$out"; mkdir -p "$out"

source "$root/tests/checks.sh" # winpath
{
  wine "$bench/speed/bench.exe" speed "$(winpath "$build/app/core/zentrak.exe")" \
    "$(winpath "$build/tests/faketool.exe")" "$(winpath "$media")" "$(winpath "$out")"
  wine "$bench/memory/bench.exe" memory "$(winpath "$media")" "$(winpath "$out")"
} 2>&1 | sed -u 's/\r$//' | tee "$bench/results.txt"

# The tool's clock (x, seconds) against the dialog's percentage (y), with the
# line a perfect display would follow.
if [ -s "$out/clock.csv" ]; then
  awk -F, -v duration=600 -f "$root/bench/plot_clock.awk" "$out/clock.csv" > "$bench/clock.svg"
  echo "plot: $bench/clock.svg"
fi
