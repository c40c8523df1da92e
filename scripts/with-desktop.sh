#!/usr/bin/env bash
# Runs a command inside a private X desktop: an Xvfb server on a free display and IceWM (EWMH and
# a system tray) with a throw-away HOME, so that the user's own desktop and settings are never
# touched. The command sees DISPLAY; its exit code is this script's.
#
#   scripts/with-desktop.sh program [arguments...]
#
# Works without a terminal (ctest). Both servers are stopped and the temporary folder removed on
# every way out, including an interrupt or a ctest time-out (SIGTERM).
set -uo pipefail

if [[ $# -eq 0 ]]; then
  echo "usage: $0 program [arguments...]" >&2
  exit 2
fi

readonly FIRST_DISPLAY=90
readonly LAST_DISPLAY=120
# Bounds on the start-up waits, in tenths of a second: a server that has not answered by then
# will not, and a stuck start must not eat the test's whole time-out.
readonly SERVER_WAIT_TENTHS=100
readonly WM_WAIT_TENTHS=200

xvfb_pid=""
wm_pid=""
command_pid=""
work_dir="$(mktemp -d "${TMPDIR:-/tmp}/corvane-desktop.XXXXXX")" || exit 1

# shellcheck source=lib/processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/processes.sh"

cleanup() {
  stop_process "$command_pid"
  stop_process "$wm_pid"
  stop_process "$xvfb_pid"
  command_pid=""
  wm_pid=""
  xvfb_pid=""
  rm -rf -- "$work_dir"
}
run_cleanup_on_exit cleanup

# Starts Xvfb on the first display number that is free and that the server accepts. Two runs
# started together may pick the same free number; the loser's server exits (the lock is taken)
# and it moves on to the next one.
start_server() {
  local n
  for ((n = FIRST_DISPLAY; n <= LAST_DISPLAY; ++n)); do
    [[ -e "/tmp/.X${n}-lock" || -e "/tmp/.X11-unix/X${n}" ]] && continue
    Xvfb ":${n}" -screen 0 1280x1024x24 -nolisten tcp >"$work_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local i
    for ((i = 0; i < SERVER_WAIT_TENTHS; ++i)); do
      if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        break
      fi
      # The lock names the server that holds the display: answering is not enough, since a
      # run that started together with ours may own it while our server is still giving up.
      if [[ "$({ tr -d ' \n' <"/tmp/.X${n}-lock"; } 2>/dev/null)" == "$xvfb_pid" ]] &&
        DISPLAY=":${n}" xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=":${n}"
        return 0
      fi
      sleep 0.1
    done
    stop_process "$xvfb_pid"
    xvfb_pid=""
  done
  echo "with-desktop: no X server could be started on :${FIRST_DISPLAY}..:${LAST_DISPLAY}" >&2
  cat "$work_dir/xvfb.log" >&2 2>/dev/null
  return 1
}

start_window_manager() {
  mkdir -p "$work_dir/home/.icewm" || return 1
  HOME="$work_dir/home" ICEWM_PRIVCFG="$work_dir/home/.icewm" \
    icewm >"$work_dir/icewm.log" 2>&1 </dev/null &
  wm_pid=$!
  local i
  for ((i = 0; i < WM_WAIT_TENTHS; ++i)); do
    if ! kill -0 "$wm_pid" 2>/dev/null; then
      break
    fi
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
      return 0
    fi
    sleep 0.1
  done
  echo "with-desktop: the window manager did not start on $DISPLAY" >&2
  cat "$work_dir/icewm.log" >&2 2>/dev/null
  return 1
}

start_server || exit 1
start_window_manager || exit 1

# A session's runtime folder of its own, as a login gives one (single-instance locks live there).
mkdir -p -m 0700 "$work_dir/runtime" || exit 1
export XDG_RUNTIME_DIR="$work_dir/runtime"

# Not exec: the traps have to outlive the command to stop the servers. In the background, because
# bash holds a trap back until a foreground command ends, and `wait` lets it run at once; the
# explicit stdin keeps the command's input instead of the /dev/null bash gives background jobs.
"$@" <&0 &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
exit "$status"
