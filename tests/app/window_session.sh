# Shared by the window test scripts (sourced): waiting on conditions, the
# window manager, finding the program's window and its exit status.

wait_for() { # wait_for SECONDS COMMAND...: polls until the command succeeds
  local limit=$(($(date +%s) + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s)" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

window_manager_start() { # sets wm; only a window manager delivers close requests
  openbox >/dev/null 2>&1 &
  wm=$!
  wait_for 20 wmctrl -m || { echo "FAIL: the window manager did not start"; exit 1; }
}

find_window() { window=$(xdotool search --onlyvisible --name '^Nib_Ostrelm' | head -1); [ -n "$window" ]; }

exit_status_within() { # exit_status_within SECONDS: sets status from $pid, or "timeout"
  local limit=$(($(date +%s) + $1))
  status=timeout
  while [ "$(date +%s)" -lt "$limit" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; break; fi
    sleep 0.1
  done
  pid=
}
