#!/usr/bin/env bash
# Converts three generated clips once per preset with the real tool, then
# checks each AVI with ffprobe: wmv2 video and wmav2 audio at the preset's
# frame size and rate, and the source's length. Sources must be unchanged and
# no script or probe log may be left behind.
set -euo pipefail
app=$1 media=$2 out=$3
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

rm -rf "$out"
sources=("$media/clip1.mkv" "$media/clip2.mkv" "$media/clip3.mkv")
before=$(sha256sum "${sources[@]}")

# preset: expected width height frame rate (as ffprobe gives it)
expect=("320 240 25/1" "320 240 2997/100" "720 480 25/1" "320 240 2397/100")
for preset in 0 1 2 3; do
  dir="$out/preset$preset"
  mkdir -p "$dir"
  args=(--preset "$preset" --out "$(winpath "$dir")")
  for s in "${sources[@]}"; do args+=("$(winpath "$s")"); done
  log=$(wine "$app/engine_driver.exe" "${args[@]}" 2>&1 | tr '\r' '\n' | grep -E 'converted|failed' || true)
  echo "$log" | grep -q '^3 of 3 converted' || fail "preset $preset: $log"
  for n in 1 2 3; do
    echo "$log" | grep -q "clip$n.mkv -> .*clip$n.avi ($((n + 2)) s)" || fail "preset $preset: duration of clip$n not probed as $((n + 2)) s"
    f="$dir/clip$n.avi"
    [ -s "$f" ] || { fail "preset $preset: $f missing"; continue; }
    read -r w h r <<<"${expect[$preset]}"
    v=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate -of csv=p=0 "$f")
    a=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 "$f")
    d=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$f")
    [ "$v" = "wmv2,$w,$h,$r" ] || fail "preset $preset clip$n video: $v (want wmv2,$w,$h,$r)"
    [ "$a" = "wmav2" ] || fail "preset $preset clip$n audio: $a"
    awk -v d="$d" -v want="$((n + 2))" 'BEGIN { exit !(d > want - 0.5 && d < want + 0.5) }' ||
      fail "preset $preset clip$n lasts $d s, want $((n + 2))"
  done
done
[ "$(sha256sum "${sources[@]}")" = "$before" ] || fail "a source changed"
left=$(leftover_run_files)
[ -z "$left" ] || fail "left behind: $left"
echo "checked 12 conversions, $failures failure(s)"
[ "$failures" -eq 0 ]
