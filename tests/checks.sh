# Sourced by the test scripts: Wine paths, failure counting and the program's
# run files left behind.
winpath() { echo "Z:${1//\//\\}"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Scripts and probe logs of the program in the prefix's application-data folder.
leftover_run_files() {
  find "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming" -maxdepth 2 \
    \( -name 'pwjob*.bat' -o -name 'zentrak*.txt' \) | head
}
