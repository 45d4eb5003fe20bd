#!/usr/bin/env bash
# The release files, made from the built program folder: a portable zip and
# an installer, in build/dist. Sourced after wine-env.sh has started Wine
# (the tool prints its own licence). Redone only when an input changed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
dist=$build/dist
stage=$dist/MkvToAvi-1.0
zip=$dist/MkvToAvi-1.0-portable.zip
setup=$dist/MkvToAvi-1.0-setup.exe
inputs=("$build/app/MkvToAvi.exe" "$build/app/core/zentrak.exe" "$root/release/README.txt"
        "$root/release/installer.nsi" "$root/tools/dist.sh")

fresh=yes
for f in "$zip" "$setup"; do
  [ -s "$f" ] || fresh=no
  for input in "${inputs[@]}"; do [ "$f" -nt "$input" ] || fresh=no; done
done
if [ "$fresh" = yes ]; then
  echo "release files up to date in $dist"
  exit 0
fi

rm -rf "$stage" "$zip" "$setup"
mkdir -p "$stage/core"
cp "$build/app/MkvToAvi.exe" "$stage/"
cp "$build/app/core/zentrak.exe" "$stage/core/"
crlf() { sed 's/\r*$/\r/'; }
crlf < "$root/release/README.txt" > "$stage/README.txt"
# The tool's licence, in its own words.
wine "$stage/core/zentrak.exe" -hide_banner -L 2>/dev/null | crlf > "$stage/LICENSE-zentrak.txt"
grep -q "GNU" "$stage/LICENSE-zentrak.txt" || { echo "the tool printed no licence" >&2; exit 1; }

(cd "$dist" && zip -q -r -X "$(basename "$zip")" "$(basename "$stage")")
makensis -V2 -DSTAGE="$stage" -DOUTFILE="$setup" "$root/release/installer.nsi"
echo "release files: $zip, $setup"
