# Sourced by the scripts that run a command beside a service of their own.
# stop_process PID: asks the process to end, waits up to 3 s, then kills it; nothing for "".
stop_process() {
  local pid="$1"
  [[ -n "$pid" ]] || return 0
  kill "$pid" 2>/dev/null || return 0
  local i
  for ((i = 0; i < 30; ++i)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# run_cleanup_on_exit FUNCTION: runs FUNCTION on every way out, an interrupt or a time-out's
# SIGTERM too, and ends with the status the signal calls for.
run_cleanup_on_exit() {
  trap "$1" EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  trap 'exit 129' HUP
}
