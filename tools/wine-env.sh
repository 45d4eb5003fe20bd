# Sourced by run.sh and test.sh: a private Wine prefix in the build tree, a
# persistent wineserver (cold starts cost seconds each) and, when there is no
# display, a virtual one. `wine_env_stop` undoes what was started.

export WINEPREFIX=$build/pfx
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

started_xvfb_pid=""

wine_env_start() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=97
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Without a window manager Wine waits about 2 s whenever a window is
    # hidden; unmanaged windows do not.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true  # already running is fine
  # The first program started brings up Wine's background services, which
  # keep its output handles open for as long as the server runs: start them
  # here, on /dev/null, or they would hold ctest's pipes.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "$started_xvfb_pid" ]; then
    kill "$started_xvfb_pid" 2>/dev/null || true
    wait "$started_xvfb_pid" 2>/dev/null || true
  fi
}

# Saves a picture of the top-level window whose title starts with $1 into $2,
# once the window shows. Prints the window id.
shoot_window() {
  local id
  id=$(timeout 30 xdotool search --sync --onlyvisible --name "^$1" 2>/dev/null | head -1) || return 1
  [ -n "$id" ] || return 1
  sleep 0.5 # let the first paint finish
  import -window "$id" "$2"
  echo "$id"
}
