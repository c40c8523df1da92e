#!/usr/bin/env bash
# Runs a command beside a private sound server: a user-mode PulseAudio with one null sink, its
# HOME, runtime and state folders all temporary, and ALSA's "default" device routed to it (the
# pulse plugins of libasound2-plugins), as a desktop's PulseAudio or PipeWire serves it. The
# command finds the server through PULSE_SERVER only, so the user's own sound server, session bus
# and settings are never touched. The command's exit code is this script's.
#
#   scripts/with-pulse.sh program [arguments...]
#
# The command gets a temporary HOME (and XDG_CONFIG_HOME beneath it) whose ~/.asoundrc does the
# routing, since ALSA reads the user's files after the system's; XDG_RUNTIME_DIR and DISPLAY stay
# as given, so this nests inside scripts/with-desktop.sh. Works without a terminal (ctest). The
# server is stopped and the temporary folder removed on every way out, including an interrupt or
# a ctest time-out (SIGTERM).
set -uo pipefail

if [[ $# -eq 0 ]]; then
  echo "usage: $0 program [arguments...]" >&2
  exit 2
fi

# Bound on the server's start, in tenths of a second: a server that has not answered by then will
# not, and a stuck start must not eat the test's whole time-out.
readonly SERVER_WAIT_TENTHS=100

server_pid=""
command_pid=""
work_dir="$(mktemp -d "${TMPDIR:-/tmp}/corvane-pulse.XXXXXX")" || exit 1

# shellcheck source=lib/processes.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/processes.sh"

cleanup() {
  stop_process "$command_pid"
  stop_process "$server_pid"
  command_pid=""
  server_pid=""
  rm -rf -- "$work_dir"
}
run_cleanup_on_exit cleanup

home="$work_dir/home"
runtime="$work_dir/runtime"
mkdir -p "$home/.config" "$work_dir/state" || exit 1
# PulseAudio refuses a runtime folder that others may enter.
mkdir -m 0700 "$runtime" "$runtime/pulse" || exit 1
socket="$runtime/pulse/native"

# Clients: only this server, and never one started on demand.
cat >"$work_dir/client.conf" <<EOF || exit 1
autospawn = no
EOF
cat >"$home/.asoundrc" <<'EOF' || exit 1
pcm.!default {
  type pulse
}
ctl.!default {
  type pulse
}
EOF

# The server: no default.pa (-n), just the socket and the sink. The session bus address leads
# nowhere, so that it neither meets the user's own server there nor starts a bus of its own;
# without DISPLAY it does not reach for the X server either. As root it warns and runs.
env -u DISPLAY -u PULSE_SERVER \
  HOME="$home" XDG_RUNTIME_DIR="$runtime" XDG_CONFIG_HOME="$home/.config" \
  PULSE_RUNTIME_PATH="$runtime/pulse" PULSE_STATE_PATH="$work_dir/state" \
  PULSE_CLIENTCONFIG="$work_dir/client.conf" \
  DBUS_SESSION_BUS_ADDRESS="unix:path=$work_dir/no-session-bus" \
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
  --realtime=no --high-priority=no --log-target=stderr \
  -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
  -L "module-null-sink sink_name=corvane_null" \
  </dev/null >"$work_dir/server.log" 2>&1 &
server_pid=$!

export HOME="$home"
export XDG_CONFIG_HOME="$home/.config"
export PULSE_SERVER="unix:$socket"
export PULSE_CLIENTCONFIG="$work_dir/client.conf"
unset PULSE_COOKIE PULSE_SINK PULSE_SOURCE

started=false
for ((i = 0; i < SERVER_WAIT_TENTHS; ++i)); do
  kill -0 "$server_pid" 2>/dev/null || break
  if pactl info >/dev/null 2>&1; then
    started=true
    break
  fi
  sleep 0.1
done
if [[ "$started" != true ]]; then
  echo "with-pulse: the sound server did not start" >&2
  cat "$work_dir/server.log" >&2 2>/dev/null
  exit 1
fi

# Not exec: the traps have to outlive the command to stop the server. In the background, because
# bash holds a trap back until a foreground command ends, and `wait` lets it run at once; the
# explicit stdin keeps the command's input instead of the /dev/null bash gives background jobs.
"$@" <&0 &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
exit "$status"
