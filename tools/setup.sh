#!/usr/bin/env bash
# Installs what the build and the tests need, configures and builds, and lays
# out the program folder: build/app/<exe> and build/app/core/zentrak.exe.
# A second run with everything in place only rebuilds what changed.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}

packages=(cmake make g++-mingw-w64-x86-64 wine wine64 xvfb xauth ffmpeg googletest
          imagemagick xdotool x11-utils fonts-wine ca-certificates nsis zip unzip)
missing=()
# npm may come with a Node.js installed some other way; Debian's otherwise.
command -v npm >/dev/null || missing+=(npm)
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The conversion tool: a Windows build of the ffmpeg command line, fetched by
# package name and checked against the digest it was tested with.
tool_package=@ffmpeg-installer/win32-x64@4.1.0
tool_sha256=c8abc49e7be62dde8e12972af373959e0076a7b8dc8040eb45978e0608f8781e
cache=$build/cache
tool=$cache/ffmpeg.exe
if ! { [ -f "$tool" ] && echo "$tool_sha256  $tool" | sha256sum -c --status; }; then
  echo "setup: fetching $tool_package"
  mkdir -p "$cache/pack"
  rm -rf "$cache/pack"/*
  (cd "$cache/pack" && npm pack --silent "$tool_package" >/dev/null && tar xzf ./*.tgz package/ffmpeg.exe)
  echo "$tool_sha256  $cache/pack/package/ffmpeg.exe" | sha256sum -c --status || {
    echo "setup: the fetched ffmpeg.exe does not match its expected sha256" >&2
    exit 1
  }
  mv "$cache/pack/package/ffmpeg.exe" "$tool"
  rm -rf "$cache/pack"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" -- --no-print-directory >/dev/null

mkdir -p "$build/app/core"
cmp -s "$tool" "$build/app/core/zentrak.exe" || cp "$tool" "$build/app/core/zentrak.exe"
