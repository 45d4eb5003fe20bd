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
# Inputs a user's folder may hold besides clean clips.
lavfi() { ffmpeg -nostdin -loglevel error -y "$@"; }
[ -s "$out/video-only.mkv" ] || lavfi -f lavfi -i testsrc=size=160x120:rate=25:duration=2 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$out/video-only.mkv"
[ -s "$out/audio-only.mkv" ] || lavfi -f lavfi -i sine=frequency=300:duration=2 \
  -c:a aac "$out/audio-only.mkv"
if [ ! -s "$out/subs-attachment.mkv" ]; then
  printf '1\n00:00:00,000 --> 00:00:01,500\nHello\n\n' > "$out/subs.srt"
  printf 'attached notes\n' > "$out/notes.txt"
  lavfi -i "$out/clip1.mkv" -i "$out/subs.srt" -map 0 -map 1 -c copy -c:s srt \
    -attach "$out/notes.txt" -metadata:s:t mimetype=text/plain "$out/subs-attachment.mkv"
fi
[ -s "$out/variable-rate.mkv" ] || lavfi -f lavfi -i testsrc=size=160x120:rate=30:duration=3 \
  -vf "select='not(mod(n\,3))+lt(n\,20)',setpts=N/TB/30+if(gt(N\,20)\,N/TB/15\,0)" \
  -fps_mode vfr -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$out/variable-rate.mkv"
# Over an hour long: one tiny frame a second and silence, for the probe.
[ -s "$out/over-an-hour.mkv" ] || lavfi -f lavfi -i color=size=16x16:rate=1:duration=3725 \
  -f lavfi -i anullsrc=sample_rate=8000:channel_layout=mono -t 3725 \
  -c:v libx264 -preset ultrafast -c:a aac -b:a 8k "$out/over-an-hour.mkv"
[ -s "$out/truncated.mkv" ] || head -c $(($(stat -c %s "$out/clip3.mkv") / 3)) "$out/clip3.mkv" > "$out/truncated.mkv"
[ -s "$out/random.mkv" ] || head -c 200000 /dev/urandom > "$out/random.mkv"
# Drive M: of the test prefix: a drive root holding two clips.
if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/dosdevices" ]; then
  mkdir -p "$out/drive-m"
  cp -f "$out/clip1.mkv" "$out/drive-m/a.mkv"
  cp -f "$out/clip1.mkv" "$out/drive-m/b.mkv"
  ln -sfn "$out/drive-m" "$WINEPREFIX/dosdevices/m:"
fi
echo "media ready in $out"
