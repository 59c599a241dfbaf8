#!/usr/bin/env python3
"""Start-up, batch and memory of the window program, seen only from outside
(bench/window.sh runs it on its own X server, without a window manager).

  window_bench.py OSTRELM BASELINE CONVERT START_DIR BATCH_DIR

When is a window "up"? The program fills its list before its event loop
first waits, and a window that is mapped gets an Expose that wakes it to draw.
So a process that has used no processor time for QUIET seconds while its
window is viewable was done when it last ran: that moment is the end of a
start-up and of a batch. Processor time is the sum over the process's threads
of /proc/PID/task/*/schedstat, sampled every half millisecond.
"""
import glob
import os
import signal
import statistics
import subprocess
import sys
import time

TITLE = "Nib_Ostrelm v. 0.13 by the Ostrelm developers"
BASELINE_TITLE = "Ostrelm baseline window"
QUIET = 0.3  # both programs wake once about 0.5 s after start-up; keep under it
SAMPLE = 0.0005
TIMEOUT = 120.0
STARTUP_RUNS = int(os.environ.get("STARTUP_RUNS", "15"))
BATCH_ROUNDS = int(os.environ.get("BATCH_ROUNDS", "3"))
TARGETS = {"start-up": 1.3, "batch": 1.5, "memory": 1.3}

now = time.perf_counter


def cpu_ns(pid):
    total = 0
    for path in glob.glob("/proc/%d/task/*/schedstat" % pid):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended between the listing and the read
    return total


def waits_in_poll(pid):
    with open("/proc/%d/wchan" % pid) as f:
        return "poll" in f.read()


def viewable(title):
    """True when a viewable window has exactly this title (xdotool, public)."""
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return found.returncode == 0 and found.stdout.strip() != b""


def settle(process, title, done=lambda: True):
    """Waits until process has been quiet for QUIET seconds in poll, with its
    window viewable and done() true; returns when it last ran."""
    last_cpu, last_change = -1, now()
    deadline = now() + TIMEOUT
    while now() < deadline:
        if process.poll() is not None:
            sys.exit("the program ended with status %d" % process.returncode)
        cpu = cpu_ns(process.pid)
        if cpu != last_cpu:
            last_cpu, last_change = cpu, now()
        elif now() - last_change >= QUIET and waits_in_poll(process.pid):
            # The checks themselves run while the process sleeps; if one
            # fails, the process is not done and will run again.
            if viewable(title) and done() and cpu_ns(process.pid) == last_cpu:
                return last_change
            last_change = now()
        time.sleep(SAMPLE)
    sys.exit("%s: not settled within %d s" % (title, TIMEOUT))


def first_activity(pid, since_cpu):
    """When the sleeping process first runs after an input was sent."""
    deadline = now() + TIMEOUT
    while now() < deadline:
        if cpu_ns(pid) != since_cpu:
            return now()
        time.sleep(SAMPLE)
    sys.exit("no reaction to the input within %d s" % TIMEOUT)


def peak_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def start(command, directory):
    began = now()
    process = subprocess.Popen(command, cwd=directory, stdout=subprocess.DEVNULL)
    return process, began


def stop(process):
    process.send_signal(signal.SIGTERM)
    process.wait()


def startup_time(command, title, directory):
    process, began = start(command, directory)
    ended = settle(process, title)
    memory = peak_kb(process.pid)
    stop(process)
    return ended - began, memory


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True)


def window_origin(title):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title],
                           stdout=subprocess.PIPE, check=True)
    window = found.stdout.split()[0].decode()
    geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                              stdout=subprocess.PIPE, check=True, text=True).stdout
    values = dict(line.split("=") for line in geometry.split())
    return int(values["X"]), int(values["Y"])


def remove_taps(directory):
    for path in glob.glob(os.path.join(directory, "*.tap")):
        os.unlink(path)


def tap_count(directory):
    return len(glob.glob(os.path.join(directory, "*.tap")))


def batch_in_window(process, directory, origin, wanted):
    """Selects every row (a click on a row, then Ctrl+A), clicks the button and
    returns the seconds from the program's first reaction to the click until
    it is idle again with every TAP file written."""
    x, y = origin
    # A row well below the header; the list starts at the browser's bar.
    xdotool("mousemove", x + 700, y + 60, "click", "1", "key", "ctrl+a")
    settle(process, TITLE)
    xdotool("mousemove", x + 960, y + 14)  # the middle of "Convert > TAP"
    settle(process, TITLE)
    before = cpu_ns(process.pid)
    sent = now()
    xdotool("click", "1")
    reacted = first_activity(process.pid, before)
    ended = settle(process, TITLE, lambda: tap_count(directory) == wanted)
    return ended - reacted, ended - sent


def batch_on_command_line(convert, directory, tapes):
    began = now()
    subprocess.run([convert] + tapes, cwd=directory, stdout=subprocess.DEVNULL, check=True)
    return now() - began


def describe(label, runs):
    return "  %-44s %8.3f %8.3f  (%d runs)" % (label, min(runs), statistics.median(runs), len(runs))


def main():
    ostrelm, baseline, convert, start_dir, batch_dir = sys.argv[1:6]
    env_note = "HOME=%s" % os.environ.get("HOME", "")
    tapes_in_start = len(glob.glob(os.path.join(start_dir, "*.tzx")))

    # Start-up: the two programs take turns, so both meet the same
    # disturbances of a shared machine.
    ours, base, base_memory = [], [], []
    for _ in range(STARTUP_RUNS):
        ours.append(startup_time([ostrelm], TITLE, start_dir)[0])
        seconds, memory = startup_time([baseline, BASELINE_TITLE], BASELINE_TITLE, start_dir)
        base.append(seconds)
        base_memory.append(memory)

    # Batch: one window converts the 2,000 selected tapes at each press; the
    # command line converts the same files in between.
    tapes = sorted(os.path.basename(p) for p in glob.glob(os.path.join(batch_dir, "*.tzx")))
    remove_taps(batch_dir)
    process, _ = start([ostrelm], batch_dir)
    settle(process, TITLE)
    origin = window_origin(TITLE)
    window_runs, window_from_send, cli_runs = [], [], []
    for _ in range(BATCH_ROUNDS):
        reacted, sent = batch_in_window(process, batch_dir, origin, len(tapes))
        window_runs.append(reacted)
        window_from_send.append(sent)
        remove_taps(batch_dir)
        cli_runs.append(batch_on_command_line(convert, batch_dir, tapes))
        if tap_count(batch_dir) != len(tapes):
            sys.exit("ostrelm-convert wrote %d TAP files, not %d" % (tap_count(batch_dir), len(tapes)))
        remove_taps(batch_dir)
    memory = peak_kb(process.pid)
    stop(process)

    print()
    print("start-up, %d tapes in the folder (%s)         fastest s median s" % (tapes_in_start, env_note))
    print(describe("ostrelm: exec to mapped, filled and idle", ours))
    print(describe("minimal GTK+ 2 window (1021x700, empty)", base))
    print("batch of %d tapes of about 48 KB" % len(tapes))
    print(describe("ostrelm: click handled to idle, all written", window_runs))
    print(describe("ostrelm: from sending the click (no target)", window_from_send))
    print(describe("ostrelm-convert, one call", cli_runs))
    print("peak resident memory (VmHWM)")
    print("  %-44s %8d KB" % ("ostrelm after %d batches" % BATCH_ROUNDS, memory))
    print("  %-44s %8d KB" % ("minimal GTK+ 2 window", max(base_memory)))
    print()

    # Ratios of the fastest runs: the ones least disturbed by other work.
    checks = [
        ("start-up: time / minimal window's", min(ours) / min(base), "start-up"),
        ("batch: window's time / ostrelm-convert's", min(window_runs) / min(cli_runs), "batch"),
        ("memory: window's peak / minimal window's", memory / max(base_memory), "memory"),
    ]
    missed = 0
    for label, value, target in checks:
        ok = value <= TARGETS[target]
        missed += not ok
        print("  %-44s %8.2f  (target <= %g)  %s" % (label, value, TARGETS[target], "ok" if ok else "MISSED"))
    print("  %-44s %8.2f  (no target: medians)" %
          ("start-up: median / minimal window's median", statistics.median(ours) / statistics.median(base)))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
