#!/usr/bin/env bash
# Output folders the tool cannot finish writing into, with the real tool:
# a 1 MB filesystem that fills up during the first job, and a read-only one.
# Each job must end as not converted, in bounded time, with the sources
# unchanged and no script or probe log left. Needs to mount small
# filesystems; where that is not allowed, the test is skipped (exit 77).
set -euo pipefail
app=$1 media=$2 work=$3
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

full=$work/full readonly=$work/readonly
cleanup() {
  umount "$full" 2>/dev/null || true
  umount "$readonly" 2>/dev/null || true
}
trap cleanup EXIT
cleanup
rm -rf "$work"
mkdir -p "$full" "$readonly"
if ! mount -t tmpfs -o size=1m tmpfs "$full" 2>/dev/null ||
   ! mount -t tmpfs -o ro,size=1m tmpfs "$readonly" 2>/dev/null; then
  echo "skipped: small filesystems cannot be mounted here"
  exit 77
fi

sources=("$media/long.mkv" "$media/clip1.mkv")
before=$(sha256sum "${sources[@]}")

# convert FOLDER: runs the driver on both sources into FOLDER, bounded.
convert() {
  local status=0
  log=$(timeout 300 wine "$app/engine_driver.exe" --out "$(winpath "$1")" \
          "$(winpath "${sources[0]}")" "$(winpath "${sources[1]}")" 2>&1) || status=$?
  [ "$status" -ne 124 ] || fail "$1: the batch did not end within 300 s"
  [ "$status" -eq 1 ] || fail "$1: driver ended with $status, want 1 (not every job converted)"
  summary=$(echo "$log" | tr '\r' '\n' | grep -E '^(converted|failed) |of 2 converted')
  echo "$summary"
}

# The first output fills the disk part way through; the second cannot even
# begin. Neither may count as converted, though the partial files stay.
convert "$full"
echo "$summary" | grep -q '^failed .*long.avi' || fail "a cut-off long.avi counted as converted"
echo "$summary" | grep -q '^failed .*clip1.avi' || fail "an empty clip1.avi counted as converted"
echo "$summary" | grep -q '^0 of 2 converted' || fail "full disk: $summary"
echo "full disk left: $(cd "$full" && ls -l | tail -n +2)"

# Nothing can be created in a read-only folder.
convert "$readonly"
echo "$summary" | grep -q '^0 of 2 converted' || fail "read-only: $summary"
[ -z "$(ls -A "$readonly")" ] || fail "something was written into the read-only folder"

[ "$(sha256sum "${sources[@]}")" = "$before" ] || fail "a source changed"
left=$(leftover_run_files)
[ -z "$left" ] || fail "left behind: $left"
echo "$failures failure(s)"
[ "$failures" -eq 0 ]
