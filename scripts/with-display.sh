#!/usr/bin/env bash
# Runs a command on a private virtual X display (24-bit, so pixels can be checked exactly).
# With --window-manager, openbox manages the display while the command runs.
set -euo pipefail
if [[ "${1:-}" == "--window-manager" ]]; then
  shift
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
    openbox --sm-disable >/dev/null 2>&1 &
    manager=$!
    # The manager is up once it owns the screen selection.
    for _ in $(seq 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
      sleep 0.05
    done
    VEXA_WINDOW_MANAGER=openbox "$@"
    status=$?
    kill "$manager" 2>/dev/null || true
    exit $status' with-display "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
