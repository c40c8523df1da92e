#!/usr/bin/env bash
# Installs what the agent needs on Debian 12, builds it and starts it from its program folder.
# Arguments go to the agent (for example "debug" for the debug log). Needs an X11 session.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/setup-debian.sh

JOBS="${CORVANE_JOBS:-$(nproc)}"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j"$JOBS" --target Corvane

if [[ -z "${DISPLAY:-}" ]]; then
  echo "start-agent: no X11 display (DISPLAY is not set): start it from a desktop session," >&2
  echo "start-agent: or try it in a private one: bash scripts/with-desktop.sh build/release/program/Corvane" >&2
  exit 1
fi
exec build/release/program/Corvane "$@"
