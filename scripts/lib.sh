# Shared by the project's scripts (sourced). Paths, the Wine prefix and the
# virtual display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VISTREL_TOP="$top"
export WINEPREFIX="${VISTREL_WINEPREFIX:-$top/.wine}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

started_pids=()

# Creates the project's Wine prefix once.
ensure_prefix() {
  [ -f "$WINEPREFIX/.vistrel-ready" ] && return 0
  echo "wine: creating the prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  # A crashing test must end, not wait on a crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vistrel-ready"
}

# Starts Xvfb on a free display, 1920x1080x24, and exports DISPLAY.
start_xvfb() {
  local n=${VISTREL_DISPLAY_BASE:-90}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  local pid=$!
  started_pids+=("$pid")
  export DISPLAY=":$n"
  local deadline=$((SECONDS + 20))
  until xdpyinfo >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "Xvfb on :$n did not start" >&2; return 1; }
    [ $SECONDS -lt $deadline ] || { echo "Xvfb on :$n did not answer" >&2; return 1; }
    sleep 0.1
  done
  echo "$pid"
}

# Starts the Wine server for the prefix, detached from our output, so that
# test runs do not wait for its background processes.
start_wine() {
  wineserver -p >/dev/null 2>&1 </dev/null
  setsid wine cmd /c exit >/dev/null 2>&1 </dev/null
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}

# Stops exactly the processes this script started.
stop_started() {
  local pid
  for pid in "${started_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  started_pids=()
}
