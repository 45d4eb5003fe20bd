#!/usr/bin/env bash
# The whole job as a user meets it, with the real tool, in a Wine prefix made
# fresh for this run: a silent install from the installer, then the driver
# works the installed program's windows (a first run killed mid-conversion,
# then a batch of awkwardly named files); this script takes the screenshots it
# asks for, checks the AVI files with ffprobe and the remembered output folder
# in the registry, and ends with a silent uninstall that must leave no program
# files behind.
set -euo pipefail
setup=$1 driver=$2 media=$3 work=$4
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"
[ -s "$setup" ] || { echo "FAIL: no installer at $setup (tools/test.sh makes it)"; exit 1; }
rm -rf "$work"
input="$work/in ñ & 100% (x)" out="$work/out & 100% !" killed="$work/killed"
names=("clip1 100% ü" "clip2 & ! ^ 😀" "clip3 (%PATH%) 日本語")
mkdir -p "$input" "$out" "$killed" "$work/shots"
for n in 1 2 3; do cp "$media/clip$n.mkv" "$input/${names[$((n - 1))]}.mkv"; done
before=$(cat "$media/long.mkv" "$input"/*.mkv | sha256sum)
export WINEPREFIX=$work/pfx WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export PATH=/usr/bin:$PATH

wineboot -i >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w

installed="$WINEPREFIX/drive_c/Program Files/Corvane/MKV to AVI Converter"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvane Free MKV to AVI Converter.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane MKV to AVI Converter'

wine "$setup" /S >/dev/null 2>&1 || fail "the installer ended with $?"
wineserver -w
for f in MkvToAvi.exe core/zentrak.exe README.txt LICENSE-zentrak.txt uninstall.exe; do
  [ -s "$installed/$f" ] || fail "not installed: $f"
done
[ -s "$shortcut" ] || fail "no Start-menu shortcut"
entry=$(wine reg query "$uninstall_key" /v DisplayName /reg:64 2>/dev/null | tr -d '\r' | grep DisplayName || true)
[[ "$entry" == *"Corvane Free MKV to AVI Converter 1.0"* ]] || fail "no Add/Remove Programs entry: '$entry'"
echo "installed: $(cd "$installed" && find . -type f | sort | tr '\n' ' ')"

wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT

wine "$driver" 'C:\Program Files\Corvane\MKV to AVI Converter\MkvToAvi.exe' "$(winpath "$media")" "$(winpath "$input")" \
  "$(winpath "$out")" "$(winpath "$killed")" "$(winpath "$work/shots")" > "$work/driver.log" 2>&1 &
pid=$!
declare -A titles=([main-window-ready]="Corvane Free MKV to AVI Converter 1.0"
  [main-window-after]="Corvane Free MKV to AVI Converter 1.0"
  [progress-running]="Progress" [progress-complete]="Progress")
while kill -0 $pid 2>/dev/null; do
  for request in "$work"/shots/*.request; do
    [ -e "$request" ] || continue
    name=$(basename "$request" .request)
    id=$(xdotool search --onlyvisible --name "^${titles[$name]}\$" | head -1)
    [ -n "$id" ] && import -window "$id" "$work/shots/$name.png"
    rm -f "$request"
  done
  sleep 0.05
done
status=0
wait $pid || status=$?
tr -d '\r' < "$work/driver.log" | grep -E '^(ok|FAIL|total|final):' || true
echo "screenshots: $work/shots"

for n in 1 2 3; do
  f="$out/${names[$((n - 1))]}.avi"
  v=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate -of csv=p=0 "$f" 2>&1 || true)
  a=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 "$f" 2>&1 || true)
  if [ "$v" = "wmv2,720,480,25/1" ] && [ "$a" = "wmav2" ]; then echo "ok: ${f##*/} $v $a"
  else fail "${f##*/}: '$v' '$a'"; fi
done
stored=$(wine reg query 'HKCU\Software\Corvane Pellwick\avi' /v out_dir 2>/dev/null | tr -d '\r' | grep out_dir || true)
if [[ "$stored" == *"REG_SZ"*"$(winpath "$out")" ]]; then echo "ok: out_dir remembered"
else fail "out_dir is '$stored'"; fi
[ "$(cat "$media/long.mkv" "$input"/*.mkv | sha256sum)" = "$before" ] ||
  fail "a source changed"
# The killed run's own script may stay in the work folder; nothing else may.
left=$(find "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming" -maxdepth 2 -name 'zentrak*.txt' | head)
[ -z "$left" ] || fail "probe log left: $left"
# Running or waiting processes only: an ended one may linger a moment as a
# zombie until its Unix parent collects it.
if pgrep -r R,S,D -af 'zentrak\.exe'; then fail "a tool still runs"; fi
# The uninstaller runs a copy of itself from the temporary folder and
# returns at once: wait for the program folder to go.
wine "$installed/uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller ended with $?"
for _ in $(seq 1 300); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || fail "left after uninstall: $(find "$installed" | head)"
[ ! -e "${installed%/*}" ] || fail "the empty Corvane folder was left"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut was left"
wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1 && fail "the Add/Remove Programs entry was left"
for shot in main-window-ready progress-running progress-complete main-window-after; do
  [ -s "$work/shots/$shot.png" ] || fail "no screenshot $shot"
done
[ "$status" -eq 0 ] && [ "$failures" -eq 0 ]
