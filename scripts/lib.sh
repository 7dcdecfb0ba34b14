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

# Starts Xvfb on a display it picks itself (so parallel runs never collide),
# 1920x1080x24, and exports DISPLAY.
start_xvfb() {
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  local pid=$!
  started_pids+=("$pid")
  local deadline=$((SECONDS + 20))
  until [ -s "$numberFile" ]; do
    kill -0 "$pid" 2>/dev/null || { echo "Xvfb did not start" >&2; return 1; }
    [ $SECONDS -lt $deadline ] || { echo "Xvfb did not answer" >&2; return 1; }
    sleep 0.1
  done
  export DISPLAY=":$(tr -dc 0-9 <"$numberFile")"
  rm -f "$numberFile"
  until xdpyinfo >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || { echo "Xvfb on $DISPLAY did not answer" >&2; return 1; }
    sleep 0.1
  done
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
