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

# RGBA, no interlacing, and no time stamps so re-running gives the same bytes.
PNG_OPTS="-define png:color-type=6 -define png:exclude-chunk=date,time -interlace none"

# The lettering needs DejaVu Sans Bold (Debian package fonts-dejavu-core);
# without it ImageMagick would quietly fall back to another face.
FONT_BOLD="DejaVu-Sans-Bold"
if ! $IM -list font | grep -q "Font: $FONT_BOLD\$"; then
    echo "font $FONT_BOLD not found; install fonts-dejavu-core" >&2
    exit 1
fi

# Average an 8x master down to its final size and write PNG32.
shrink() { # master size out
    $IM "$1" -filter Box -resize "$2x$2" $PNG_OPTS "PNG32:$3"
}

# Pixel lettering: each "X" in a row string becomes one 8x8 block of the
# master, i.e. exactly one pixel after shrinking.  Small text drawn this way
# stays sharp at 32x32, where a scaled-down font turns to mush.
pixel_text() { # col row row-strings...
    local c0=$1 r0=$2 r=0 line c x y
    shift 2
    for line in "$@"; do
        for ((c = 0; c < ${#line}; c++)); do
            if [[ ${line:c:1} == X ]]; then
                x=$((8 * (c0 + c))); y=$((8 * (r0 + r)))
                printf 'rectangle %d,%d %d,%d ' "$x" "$y" $((x + 7)) $((y + 7))
            fi
        done
        r=$((r + 1))
    done
}

# ---------------------------------------------------------------- document
# White page with a folded top-right corner and "MKV" on it, 256x256 master.
# The bottom-right corner is left free for a badge.
MKV_TEXT="$(pixel_text 6 10 \
    'X...X.X..X.X...X' \
    'XX.XX.X.X..X...X' \
    'X.X.X.XX...X...X' \
    'X...X.XX....X.X.' \
    'X...X.X.X...X.X.' \
    'X...X.X..X...X..')"
PAGE_LINES="$(pixel_text 7 5 'XXXXXXX' '' '' '' '' '' '' '' '' '' '' '' \
    '' '' 'XXXXXXXX' '' '' 'XXXXXXXX' '' '' 'XXXXXX')"

draw_document() { # out
    $IM -size 256x256 xc:none \
        -fill '#FFFFFF' -stroke '#3C4650' -strokewidth 8 \
        -draw "polygon 36,20 140,20 188,68 188,236 36,236" \
        -fill '#D2D8E0' \
        -draw "stroke-linejoin round polygon 140,20 140,68 188,68" \
        -stroke none -fill '#1F2A36' -draw "$MKV_TEXT" \
        -fill '#AEB8C2' -draw "$PAGE_LINES" \
        "$1"
}

# Round badge centred on pixel (24,24) of the 32x32 picture, with a white
# ring so it stands off the page.
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
    "rectangle 160,184 231,207 rectangle 184,160 207,231" "$TMP/add.png"
shrink "$TMP/add.png" 32 add.png

# Minus: the horizontal bar only.
draw_badge "$TMP/doc.png" '#E0443A' '#A02820' \
    "rectangle 160,184 231,207" "$TMP/remove.png"
shrink "$TMP/remove.png" 32 remove.png

# ------------------------------------------------------------- waste bin
# Green bin, slightly tapered body with ribs, lid with a handle.
$IM -size 256x256 xc:none \
    -stroke '#1D5E22' -strokewidth 8 \
    -fill '#4CB050' \
    -draw "stroke-linejoin round polygon 60,76 196,76 180,244 76,244" \
    -fill '#6CCB6F' -draw "roundrectangle 36,52 220,76 8,8" \
    -fill '#4CB050' -draw "roundrectangle 100,28 156,52 8,8" \
    -stroke '#2E7D32' -strokewidth 12 \
    -draw "stroke-linecap round line 96,108 102,212" \
    -draw "stroke-linecap round line 128,108 128,212" \
    -draw "stroke-linecap round line 160,108 154,212" \
    -stroke none -fill '#FFFFFF60' -draw "rectangle 44,60 212,64" \
    "$TMP/clear.png"
shrink "$TMP/clear.png" 32 clear.png

# ------------------------------------------------------------- film reel
# Dark reel with five round windows; a strip of film (perforations along
# both edges, pale blue frames) runs off it to the bottom right.
reel_holes=""
for a in 270 342 54 126 198; do
    cx=$(awk -v a="$a" 'BEGIN{printf "%d", 80 + 42*cos(a*3.14159265/180)}')
    cy=$(awk -v a="$a" 'BEGIN{printf "%d", 80 + 42*sin(a*3.14159265/180)}')
    reel_holes+="circle $cx,$cy $cx,$((cy + 15)) "
done
FILM_PERFS="$(pixel_text 17 21 'XX.XX.XX.XX.XX' '' '' '' '' '' '' 'XX.XX.XX.XX.XX')"
FILM_FRAMES="$(pixel_text 17 23 'XXXX.XXXX.XXXX' 'XXXX.XXXX.XXXX' \
    'XXXX.XXXX.XXXX' 'XXXX.XXXX.XXXX')"
$IM -size 256x256 xc:none \
    -stroke '#15191E' -strokewidth 8 -fill '#2B3138' \
    -draw "rectangle 68,156 252,244" \
    -stroke none -fill '#E8ECF0' -draw "$FILM_PERFS" \
    -fill '#7FB2E5' -draw "$FILM_FRAMES" \
    -stroke '#15191E' -strokewidth 8 -fill '#4A535D' \
    -draw "circle 80,80 80,8" \
    -stroke none -fill '#F4F6F8' -draw "$reel_holes" \
    -fill '#15191E' -draw "circle 80,80 80,68" \
    -fill '#F4F6F8' -draw "circle 80,80 80,75" \
    "$TMP/convert.png"
shrink "$TMP/convert.png" 32 convert.png

# ------------------------------------------------------------- drop hint
$IM -size 280x32 xc:none -fill '#B4B4B4' -font "$FONT_BOLD" -pointsize 22 \
    -gravity center -annotate +0+0 'Drag and Drop Here' \
    $PNG_OPTS PNG32:drophint.png

# ------------------------------------------------------------- app icon
# 48 px and up: a film strip, a bent orange arrow leaving it and pointing
# down at a blue "AVI" tag.  The 512x512 master is an exact 2x/4x/8x of
# 256/128/64; 48 is a plain area average and slightly softer.
ICON_PERFS=""
for y in 56 120 184 248 312; do
    ICON_PERFS+="roundrectangle 48,$y 80,$((y + 32)) 6,6 "
    ICON_PERFS+="roundrectangle 240,$y 272,$((y + 32)) 6,6 "
done
ICON_ARROW="polygon 280,88 460,88 460,256 504,256 424,344 344,256 388,256 388,160 280,160"
$IM -size 512x512 xc:none \
    -stroke '#8A4200' -strokewidth 12 -fill '#FF9A1F' \
    -draw "stroke-linejoin round $ICON_ARROW" \
    -stroke '#15191E' -strokewidth 12 -fill '#2B3138' \
    -draw "roundrectangle 24,24 296,408 28,28" \
    -stroke none -fill '#E8ECF0' \
    -draw "$ICON_PERFS" \
    -fill '#5E9BD8' -draw "rectangle 104,48 216,200" \
    -fill '#8CC0EE' -draw "rectangle 104,224 216,376" \
    -fill '#FFFFFF' -draw "polygon 140,92 140,156 192,124" \
    -stroke '#123E78' -strokewidth 12 -fill '#2F7FDB' \
    -draw "roundrectangle 176,360 500,500 32,32" \
    -stroke none -fill '#FFFFFF' -font "$FONT_BOLD" -pointsize 124 \
    -gravity center -annotate +88+176 'AVI' \
    -trim +repage -background none -extent 512x512 \
    "$TMP/icon_big.png"

# 16 and 32 px: no room for lettering, so just the film with a straight
# arrow across it.  Each master is 8x its final size and every edge sits on
# the 8-unit grid, so the shrunk icon stays crisp.
$IM -size 256x256 xc:none \
    -stroke '#15191E' -strokewidth 16 -fill '#2B3138' \
    -draw "roundrectangle 8,24 200,232 24,24" \
    -stroke none -fill '#E8ECF0' \
    -draw "rectangle 32,56 55,79 rectangle 32,116 55,139 rectangle 32,176 55,199" \
    -draw "rectangle 152,56 175,79 rectangle 152,116 175,139 rectangle 152,176 175,199" \
    -fill '#6FAAE2' -draw "rectangle 72,48 135,207" \
    -stroke '#8A4200' -strokewidth 16 -fill '#FF9A1F' \
    -draw "stroke-linejoin round polygon 104,104 160,104 160,48 244,128 160,208 160,152 104,152" \
    "$TMP/icon_32m.png"

$IM -size 128x128 xc:none \
    -stroke none -fill '#1F242A' -draw "roundrectangle 0,8 95,119 12,12" \
    -fill '#E8ECF0' \
    -draw "rectangle 16,24 23,31 rectangle 16,56 23,63 rectangle 16,88 23,95" \
    -draw "rectangle 72,24 79,31 rectangle 72,56 79,63 rectangle 72,88 79,95" \
    -fill '#6FAAE2' -draw "rectangle 32,16 63,111" \
    -stroke '#8A4200' -strokewidth 8 -fill '#FF9A1F' \
    -draw "stroke-linejoin miter polygon 52,52 84,52 84,20 124,64 84,108 84,76 52,76" \
    "$TMP/icon_16m.png"

shrink "$TMP/icon_16m.png" 16 "$TMP/icon_16.png"
shrink "$TMP/icon_32m.png" 32 "$TMP/icon_32.png"
for s in 48 64 128 256; do shrink "$TMP/icon_big.png" "$s" "$TMP/icon_$s.png"; done

# Smallest first; every entry is 32-bit with alpha.
$IM "$TMP"/icon_16.png "$TMP"/icon_32.png "$TMP"/icon_48.png \
    "$TMP"/icon_64.png "$TMP"/icon_128.png "$TMP"/icon_256.png app.ico

echo "pictures written: add remove clear convert drophint (.png), app.ico"
