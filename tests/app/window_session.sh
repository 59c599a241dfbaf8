# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the window test scripts (sourced): their own X server, checks,
# waiting on conditions, the window manager, starting and closing the program
# ($program) and reading its log.

session_under_xvfb() { # session_under_xvfb "$0" "$@": runs the script again on an X server of its own
  [ -n "${SESSION_UNDER_XVFB:-}" ] && return
  SESSION_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$@"
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected [$2], got [$3]"; fi
}

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

start_program() { # start_program DIRECTORY: $program started there, its window active
  (cd "$1" && exec "$program") &
  pid=$!
  wait_for 60 find_window || { echo "FAIL: no window"; exit 1; }
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  sleep 0.5
}

close_program() { # the close box; the program must end with status 0
  wmctrl -i -c "$window"
  exit_status_within 10
  check "exit status after the close request" 0 "$status"
}

# The log's whole text, copied through the clipboard as a user would. The
# program owns the clipboard, so a hung program shows here as a timeout.
log_text() {
  xdotool mousemove --window "$window" 300 600 click 1 key ctrl+a ctrl+c
  sleep 0.3
  timeout 5 xclip -o -selection clipboard 2>/dev/null
}

press_button() { xdotool mousemove --window "$window" 960 14 click 1; sleep 0.5; }
