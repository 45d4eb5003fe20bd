#!/usr/bin/env bash
# Opens the real program under Xvfb, saves a screenshot of its main window in
# the build tree, checks that the drop hint's grey text shows in the middle of
# the empty list, and closes the program with Escape as a user would.
set -euo pipefail
app=$1 shots=$2
build=$(dirname "$app")
source "$(dirname "$0")/../tools/wine-env.sh"
mkdir -p "$shots"
shot=$shots/main-window.png
rm -f "$shot"

wine "$app/MkvToAvi.exe" &
pid=$!
id=$(shoot_window "Corvane Free MKV to AVI Converter 1.0" "$shot") || { kill $pid; echo "no window"; exit 1; }
echo "screenshot: $shot"

# The hint's text is light grey (#B4B4B4 before smoothing) around the middle.
grey=$(convert "$shot" -gravity center -crop 50%x20%+0-5% +repage -fuzz 6% -fill black \
  -opaque '#B4B4B4' -fill white +opaque black -format '%[fx:int(w*h*(1-mean))]' info:)
echo "grey pixels of the drop hint near the centre: $grey"

xdotool key --window "$id" Escape
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then kill $pid; echo "the program did not close on Escape"; exit 1; fi
wait $pid
status=$?
echo "exit code $status"
[ "$status" -eq 0 ] && [ "$grey" -gt 300 ]
