#!/usr/bin/env bash
# Checks the portable zip: exactly the program, its tool, the tool's licence
# and the readme, in one folder; the two programs byte for byte as built; the
# texts with Windows line ends.
set -euo pipefail
zip=$1 app=$2 work=$3
[ -s "$zip" ] || { echo "FAIL: no zip at $zip (tools/test.sh makes it)"; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
rm -rf "$work"; mkdir -p "$work"
unzip -q "$zip" -d "$work"
listed=$(cd "$work" && find . -type f | sort | tr '\n' ' ')
want="./MkvToAvi-1.0/LICENSE-zentrak.txt ./MkvToAvi-1.0/MkvToAvi.exe ./MkvToAvi-1.0/README.txt ./MkvToAvi-1.0/core/zentrak.exe "
[ "$listed" = "$want" ] || fail "the zip holds: $listed"
root=$work/MkvToAvi-1.0
cmp -s "$root/MkvToAvi.exe" "$app/MkvToAvi.exe" || fail "MkvToAvi.exe differs from the build"
cmp -s "$root/core/zentrak.exe" "$app/core/zentrak.exe" || fail "core/zentrak.exe differs from the tool"
grep -q "GNU .*General Public License" "$root/LICENSE-zentrak.txt" || fail "the licence text is missing"
for f in README.txt LICENSE-zentrak.txt; do
  [ "$(grep -c $'\r$' "$root/$f")" -eq "$(wc -l < "$root/$f")" ] || fail "$f has lines without CR LF"
done
for topic in 'Software\\Corvane Pellwick\\avi' 'out_dir' 'Uninstall' 'delete its folder'; do
  grep -q "$topic" "$root/README.txt" || fail "the readme does not mention $topic"
done
echo "zip holds: $listed"
[ "$failures" -eq 0 ]
