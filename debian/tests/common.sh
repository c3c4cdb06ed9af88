# Shared by the tests: a private virtual X server, the installed program on it
# (xcb platform), and its window closed as a window manager closes it. Every
# process started here is recorded in `pids` and stopped by stop_all.
# Expects `work` (a scratch folder) and `here` (this folder) to be set.
# shellcheck shell=bash disable=SC2154

program=/usr/bin/dnspeek
python=/usr/bin/python3
pids=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Stops what is still running, newest first, killing what outlives its
# SIGTERM by 5 s; for the EXIT trap.
stop_all() {
  local i _
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || continue
    for _ in $(seq 50); do
      kill -0 "${pids[i]}" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}

# Waits up to $2 tenths of a second for file $1 to have content.
wait_for_file() {
  local _
  for _ in $(seq "$2"); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Xvfb picks a free display itself and names it on the descriptor given.
start_xvfb() {
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_for_file "$work/display" 100 || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
  DISPLAY=:$(cat "$work/display")
  export DISPLAY
}

# Starts the installed program; its output goes to $work/dnspeek.log.
start_program() {
  QT_QPA_PLATFORM=xcb "$program" >"$work/dnspeek.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
}

# Prints the id of the program's window "Form1" once it is shown.
window_of_program() {
  timeout 20 xdotool search --all --sync --onlyvisible --pid "$program_pid" --name '^Form1$' | head -n 1 ||
    { cat "$work/dnspeek.log" >&2; fail "the window Form1 did not appear"; }
}

# Sends the window WM_DELETE_WINDOW and expects the program to end by itself,
# with exit status 0, within 10 s.
close_program() {
  "$python" "$here/close-window" "$1"
  local _ status
  for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program_pid" 2>/dev/null && fail "the program still runs 10 s after its window was closed"
  status=0
  wait "$program_pid" || status=$?
  if [ "$status" -ne 0 ]; then
    cat "$work/dnspeek.log" >&2
    fail "the program exited with status $status after its window was closed"
  fi
}
