#!/usr/bin/env bash
# Test media: short H.264 + AAC clips in .mkv made from test sources, plus
# broken inputs. Made once per build tree.
set -euo pipefail
out=$1
mkdir -p "$out"
out=$(cd "$out" && pwd)
mkdir -p "$out"
make_clip() { # name seconds size
  [ -s "$out/$1" ] && return 0
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc=size=$3:rate=25:duration=$2" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$2" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 96k \
    "$out/$1.tmp.mkv"
  mv "$out/$1.tmp.mkv" "$out/$1"
}
make_clip clip1.mkv 3 320x240
make_clip clip2.mkv 4 320x240
make_clip clip3.mkv 5 320x240
make_clip long.mkv 120 640x360
: > "$out/empty.mkv"
[ -s "$out/random.mkv" ] || head -c 200000 /dev/urandom > "$out/random.mkv"
# Drive M: of the test prefix: a drive root holding two clips.
if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/dosdevices" ]; then
  mkdir -p "$out/drive-m"
  cp -f "$out/clip1.mkv" "$out/drive-m/a.mkv"
  cp -f "$out/clip1.mkv" "$out/drive-m/b.mkv"
  ln -sfn "$out/drive-m" "$WINEPREFIX/dosdevices/m:"
fi
echo "media ready in $out"
