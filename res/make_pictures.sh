#!/usr/bin/env bash
# Draws the program's toolbar pictures, drop hint and icon with ImageMagick.
# Re-running overwrites the same files, so it is safe to run any time.
#
# Toolbar pictures are drawn 8 times larger (256x256) and averaged down to
# 32x32: with coordinates on the 8-unit grid every edge lands on a pixel
# edge, and a 1-pixel outline is a stroke of width 8 centred at 8*i+4.
# The drop hint is rendered directly at its final size so the font's own
# anti-aliasing keeps the letters sharp.
#
# Output is forced to PNG32 (8-bit RGBA, not interlaced) because the
# program loads them as 32-bit bitmaps with alpha.
set -euo pipefail

# The stand-in "convert" some build machines put first on PATH is not
# ImageMagick; prefer the system one.
export PATH="/usr/bin:/bin:$PATH"
IM=convert

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$HERE"

TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

FONT_BOLD="DejaVu-Sans-Bold"
FONT_COND="DejaVu-Sans-Condensed-Bold"

# Average an 8x master down to its final size and write PNG32.
shrink() { # master size out
    $IM "$1" -filter Box -resize "$2x$2" -define png:color-type=6 \
        -interlace none "PNG32:$3"
}

# ---------------------------------------------------------------- document
# White page with a folded top-right corner and "MKV" on it, 256x256 master.
# The bottom-right corner is left for a badge.
draw_document() { # out
    $IM -size 256x256 xc:none \
        -fill '#FFFFFF' -stroke '#3C4650' -strokewidth 8 \
        -draw "polygon 44,20 140,20 188,68 188,236 44,236" \
        -fill '#D2D8E0' -stroke '#3C4650' -strokewidth 8 \
        -draw "stroke-linejoin round polygon 140,20 140,68 188,68" \
        -stroke none -fill '#2A3440' -font "$FONT_COND" -pointsize 66 \
        -gravity NorthWest -annotate +50+96 'MKV' \
        -fill '#9AA6B2' \
        -draw "rectangle 64,56 120,63" \
        "$1"
}

# Round badge centred on pixel (24,24) of the 32x32 picture, with a white
# ring so it stands off the page. $2 = fill, $3 = darker edge, $4 = glyph.
draw_badge() { # in fill edge glyph-draw out
    $IM "$1" \
        -stroke none -fill '#FFFFFF' -draw "circle 196,196 196,128" \
        -fill "$3" -draw "circle 196,196 196,136" \
        -fill "$2" -draw "circle 196,196 196,144" \
        -fill '#FFFFFF' -draw "$4" \
        "$5"
}

draw_document "$TMP/doc.png"

# Plus: two 3-pixel bars, 9 pixels long, centred on the badge.
draw_badge "$TMP/doc.png" '#2F7FDB' '#1A56A0' \
    "rectangle 160,184 232,208 rectangle 184,160 208,232" "$TMP/add.png"
shrink "$TMP/add.png" 32 add.png

# Minus: the horizontal bar only.
draw_badge "$TMP/doc.png" '#E0443A' '#A02820' \
    "rectangle 160,184 232,208" "$TMP/remove.png"
shrink "$TMP/remove.png" 32 remove.png

# ------------------------------------------------------------- waste bin
# Green bin, slightly tapered body with ribs, lid with a handle.
$IM -size 256x256 xc:none \
    -stroke '#1D5E22' -strokewidth 8 \
    -fill '#4CB050' -draw "stroke-linejoin round polygon 60,76 196,76 180,244 76,244" \
    -fill '#6CCB6F' -draw "roundrectangle 36,52 220,76 8,8" \
    -fill '#4CB050' -draw "roundrectangle 100,28 156,52 8,8" \
    -stroke '#2E7D32' -strokewidth 12 \
    -draw "stroke-linecap round line 96,108 102,212" -draw "stroke-linecap round line 128,108 128,212" \
    -draw "stroke-linecap round line 160,108 154,212" \
    -stroke none -fill '#FFFFFF60' -draw "rectangle 44,60 212,64" \
    "$TMP/clear.png"
shrink "$TMP/clear.png" 32 clear.png

# ------------------------------------------------------------- film reel
# Dark reel with five round windows, and a strip of film running off it.
reel_holes=""
for a in 270 342 54 126 198; do
    cx=$(awk -v a="$a" 'BEGIN{printf "%d", 100 + 50*cos(a*3.14159265/180)}')
    cy=$(awk -v a="$a" 'BEGIN{printf "%d", 100 + 50*sin(a*3.14159265/180)}')
    reel_holes+="circle $cx,$cy $cx,$((cy + 20)) "
done
$IM -size 256x256 xc:none \
    -stroke '#15191E' -strokewidth 8 -fill '#2B3138' \
    -draw "polygon 100,172 236,172 236,244 100,244" \
    -stroke none -fill '#E8ECF0' \
    -draw "rectangle 116,184 132,196 rectangle 148,184 164,196 rectangle 180,184 196,196 rectangle 212,184 228,196" \
    -draw "rectangle 116,220 132,232 rectangle 148,220 164,232 rectangle 180,220 196,232 rectangle 212,220 228,232" \
    -fill '#7FB2E5' -draw "rectangle 120,202 164,214 rectangle 172,202 224,214" \
    -stroke '#15191E' -strokewidth 8 -fill '#4A535D' \
    -draw "circle 100,100 100,12" \
    -stroke none -fill '#FFFFFF' -draw "$reel_holes" \
    -fill '#15191E' -draw "circle 100,100 100,88" \
    -fill '#FFFFFF' -draw "circle 100,100 100,94" \
    "$TMP/convert.png"
shrink "$TMP/convert.png" 32 convert.png

# ------------------------------------------------------------- drop hint
$IM -size 280x32 xc:none -fill '#B4B4B4' -font "$FONT_BOLD" -pointsize 22 \
    -gravity center -annotate +0+0 'Drag and Drop Here' \
    -define png:color-type=6 -interlace none PNG32:drophint.png

# ------------------------------------------------------------- app icon
# Large sizes: film frame, orange arrow, blue "AVI" tag.  Master is 512.
$IM -size 512x512 xc:none \
    -stroke '#15191E' -strokewidth 12 -fill '#2B3138' \
    -draw "roundrectangle 24,40 312,360 24,24" \
    -stroke none -fill '#E8ECF0' \
    -draw "roundrectangle 48,72 80,104 6,6 roundrectangle 48,136 80,168 6,6 roundrectangle 48,200 80,232 6,6 roundrectangle 48,264 80,296 6,6" \
    -draw "roundrectangle 256,72 288,104 6,6 roundrectangle 256,136 288,168 6,6 roundrectangle 256,200 288,232 6,6 roundrectangle 256,264 288,296 6,6" \
    -fill '#5E9BD8' -draw "rectangle 104,72 232,184" \
    -fill '#8CC0EE' -draw "rectangle 104,200 232,312" \
    -fill '#FFFFFF' -draw "polygon 148,100 148,156 196,128" \
    -draw "polygon 148,228 148,284 196,256" \
    -stroke '#9A4A00' -strokewidth 12 -fill '#FF9A1F' \
    -draw "stroke-linejoin round polygon 196,232 300,232 300,184 400,280 300,376 300,328 196,328" \
    -stroke '#123E78' -strokewidth 12 -fill '#2F7FDB' \
    -draw "roundrectangle 168,352 496,496 32,32" \
    -stroke none -fill '#FFFFFF' -font "$FONT_BOLD" -pointsize 128 \
    -gravity NorthWest -annotate +206+358 'AVI' \
    "$TMP/icon_big.png"

# Small sizes: the tag is dropped and the arrow points straight at the
# viewer's right, so 16 and 32 pixels still read as "film -> something".
$IM -size 256x256 xc:none \
    -stroke '#15191E' -strokewidth 16 -fill '#2B3138' \
    -draw "roundrectangle 8,24 200,232 24,24" \
    -stroke none -fill '#E8ECF0' \
    -draw "rectangle 32,56 56,80 rectangle 32,116 56,140 rectangle 32,176 56,200" \
    -draw "rectangle 152,56 176,80 rectangle 152,116 176,140 rectangle 152,176 176,200" \
    -fill '#6FAAE2' -draw "rectangle 76,48 132,208" \
    -stroke '#9A4A00' -strokewidth 16 -fill '#FF9A1F' \
    -draw "stroke-linejoin round polygon 104,104 160,104 160,48 244,128 160,208 160,152 104,152" \
    "$TMP/icon_small.png"

for s in 16 32; do shrink "$TMP/icon_small.png" "$s" "$TMP/icon_$s.png"; done
for s in 48 64 128 256; do shrink "$TMP/icon_big.png" "$s" "$TMP/icon_$s.png"; done

$IM "$TMP"/icon_16.png "$TMP"/icon_32.png "$TMP"/icon_48.png \
    "$TMP"/icon_64.png "$TMP"/icon_128.png "$TMP"/icon_256.png app.ico

echo "pictures written to $HERE"
