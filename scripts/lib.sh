# Shared by the project's scripts (sourced). Paths, the Wine prefix and the
# virtual display.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VISTREL_TOP="$top"
export WINEPREFIX="${VISTREL_WINEPREFIX:-$top/.wine}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

started_pids=()

# Whether this machine runs 32-bit x86 programs: a tiny static 32-bit program
# must exit with 42. (The kernel's version says nothing: 32-bit emulation can
# be built out or turned off.) The answer is kept for the rest of the run.
runs_32bit() {
  if [ -z "${VISTREL_RUNS_32BIT:-}" ]; then
    local dir
    dir=$(mktemp -d)
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/probe.s"
    VISTREL_RUNS_32BIT=no
    if as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
      ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null; then
      local rc=0
      "$dir/probe" 2>/dev/null || rc=$?
      [ $rc -eq 42 ] && VISTREL_RUNS_32BIT=yes
    fi
    rm -rf "$dir"
    export VISTREL_RUNS_32BIT
  fi
  [ "$VISTREL_RUNS_32BIT" = yes ]
}

# The program the Windows and end-to-end tests run: the 32-bit one that ships
# (dist/) where the machine runs 32-bit code, else the 64-bit build of the same
# source. Sets program_tree, program_dist and program_label.
select_program() {
  if runs_32bit; then
    program_tree="$top/build/win32"
    program_dist="$top/dist"
    program_label="on the 32-bit program"
  else
    program_tree="$top/build/win64"
    program_dist="$top/build/win64/dist"
    program_label="on the 64-bit stand-in: this machine runs no 32-bit code"
  fi
}

# Wine's architectures on this machine (its Unix-side loaders). A prefix made
# before the 32-bit side was installed lacks its 32-bit system files and
# cannot run 32-bit programs; wineboot -u does not mend that.
wine_archs() {
  local d names=()
  for d in /usr/lib/*/wine/*-unix; do
    [ -d "$d" ] && names+=("${d##*/}")
  done
  printf '%s\n' "${names[@]}" | sort | tr '\n' ' '
}

# Creates the project's Wine prefix, once per set of Wine architectures.
ensure_prefix() {
  local archs
  archs=$(wine_archs)
  [ -f "$WINEPREFIX/.vistrel-ready" ] && [ "$(cat "$WINEPREFIX/.vistrel-ready")" = "$archs" ] && return 0
  echo "wine: creating the prefix in $WINEPREFIX (Wine's architectures: ${archs% })"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
  # A crashing test must end, not wait on a crash dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
  wineserver -w
  printf '%s' "$archs" >"$WINEPREFIX/.vistrel-ready"
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
