# Shared by the tests, and by the Windows program's installed test
# (windows/tests/lookup): the isolated network namespace, a private virtual X
# server, the installed program on it (xcb platform), and its window closed as
# a window manager closes it. Every process started here is recorded in `pids`
# and stopped by stop_all. Expects `here` (this folder) to be set, and `work`
# (a scratch folder) once anything is started.
# shellcheck shell=bash disable=SC2154

program=/usr/bin/dnspeek
python=/usr/bin/python3
pids=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Refuses to go on unless this runs in a network namespace other than the one
# named by $1 (the one the script left), where lo is the only interface and
# still down. Nothing is changed before this holds: run in the machine's own
# namespace, the next lines would touch its real lo. Every check fails closed:
# a value that cannot be read counts as a failure.
refuse_unless_new_namespace() {
  local left=$1 here_ns links lo_flags
  here_ns=$(readlink /proc/self/ns/net) || here_ns=
  links=$(ip -o link show | cut -d: -f2 | tr -d ' ') || links=
  lo_flags=$(ip -o link show lo | cut -d'<' -f2 | cut -d'>' -f1) || lo_flags=UP
  if [ -z "$left" ] || [ -z "$here_ns" ] || [ "$here_ns" = "$left" ] ||
    [ "$links" != lo ] || [[ ",$lo_flags," == *,UP,* ]]; then
    echo "FAIL: not in a new network namespace (left '$left', in '$here_ns'," \
      "interfaces '$links', lo <$lo_flags>); nothing changed, the program is not started" >&2
    exit 1
  fi
}

# Refuses to go on unless lo is the only interface, the only routes are the
# ones the kernel made for lo's addresses, and the resolver's address is a
# local one.
check_isolated() {
  local links routes
  links=$(ip -o link show | cut -d: -f2 | tr -d ' ')
  [ "$links" = lo ] || { echo "interfaces: $links"; return 1; }
  routes=$({ ip -4 route show table all; ip -6 route show table all 2>/dev/null || true; } | grep -v '^$' || true)
  if grep -Ev ' dev lo .*proto kernel( |$)' <<<"$routes"; then
    echo "routes beyond lo's own (above), among:"
    echo "$routes"
    return 1
  fi
  ip route get 9.9.9.9 | grep -q '^local 9\.9\.9\.9 dev lo ' ||
    { echo "9.9.9.9 is not local: $(ip route get 9.9.9.9)"; return 1; }
}

# In the new network namespace that the calling script entered with
# unshare --net, named apart from the one it left ($1): refuses to go on
# unless refuse_unless_new_namespace holds, then brings lo up with the
# resolver's address on it, and goes on only if nothing else is there.
isolate_with_resolver() {
  refuse_unless_new_namespace "$1"
  ip link set lo up
  ip addr add 9.9.9.9/32 dev lo
  check_isolated >&2 || fail "the network namespace is not isolated; the program is not started"
  echo "namespace: lo alone, with 9.9.9.9, and only the routes of lo's addresses"
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
