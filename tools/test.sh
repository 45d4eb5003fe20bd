#!/usr/bin/env bash
# The test command: set-up and build, the release files, then every test
# under Wine, ending with ctest's summary.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
source "$root/tools/wine-env.sh"
trap wine_env_stop EXIT
wine_env_start
"$root/tools/dist.sh"
cd "$build"
ctest --output-on-failure --timeout 600
