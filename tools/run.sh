#!/usr/bin/env bash
# The run command: set-up and build, lay out the program folder, then convert
# sample clips through the engine under Wine and show where the results are.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
source "$root/tools/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start

"$root/tests/make_media.sh" "$build/media" >/dev/null
out=$build/run-out
mkdir -p "$out"
winpath() { echo "Z:${1//\//\\}"; }
echo "program folder: $build/app (engine_driver.exe, core/zentrak.exe)"
wine "$build/app/engine_driver.exe" --replace --out "$(winpath "$out")" \
  "$(winpath "$build/media/clip1.mkv")" "$(winpath "$build/media/clip2.mkv")" \
  "$(winpath "$build/media/clip3.mkv")" | tr '\r' '\n' |
  grep -E '^(preset:|[0-9]+ / |converted|failed|[0-9]+ of)' || true
echo "converted files: $out"
