#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up, batch and memory of the window program, seen only from outside
(bench/window.sh runs it on its own X server, without a window manager).

  window_bench.py OSTRELM BASELINE CONVERT START_DIR BATCH_DIR BASELINE_CXX LARGE_DIR

When is a window "up"? The program fills its list before its event loop
first waits, and a window that is mapped gets an Expose that wakes it to draw.
So a process that has used no processor time for QUIET seconds while its
window is viewable was done when it last ran: that moment is the end of a
start-up and of a batch. Processor time is the sum over the process's threads
of /proc/PID/task/*/schedstat, sampled every half millisecond.
"""
import glob
import os
import resource
import signal
import statistics
import subprocess
import sys
import time

TITLE = "Nib_Ostrelm v. 0.13 by the Ostrelm developers"
BASELINE_TITLE = "Ostrelm baseline window"
LABEL_TITLE = "Ostrelm baseline window with text"
QUIET = 0.3  # both programs wake once about 0.5 s after start-up; keep under it
SAMPLE = 0.0005
# Waiting out a batch: sampling every half millisecond for seconds would
# take the processor from the window it measures (a command-line run has no
# such watcher), so batches are sampled more coarsely.
BATCH_SAMPLE = 0.005
TIMEOUT = 120.0
STARTUP_RUNS = int(os.environ.get("STARTUP_RUNS", "15"))
BATCH_ROUNDS = int(os.environ.get("BATCH_ROUNDS", "5"))
LARGE_ROUNDS = int(os.environ.get("LARGE_ROUNDS", "4"))
# Keeping the window alive through a batch must cost next to nothing.
TARGETS = {"start-up": 1.3, "batch": 1.1, "memory": 1.3}

now = time.perf_counter


def cpu_ns(pid):
    # Raw system calls: the sampling loop must cost the measured process as
    # little of the shared processor as it can.
    total = 0
    tasks = "/proc/%d/task/" % pid
    for task in os.listdir(tasks):
        try:
            fd = os.open(tasks + task + "/schedstat", os.O_RDONLY)
            try:
                total += int(os.read(fd, 128).split()[0])
            finally:
                os.close(fd)
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


def settle(process, title, done=lambda: True, sample=SAMPLE):
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
        time.sleep(sample)
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
    """Seconds from exec until up and idle, processor seconds used by then,
    and the peak resident memory in KB."""
    process, began = start(command, directory)
    ended = settle(process, title)
    cpu = cpu_ns(process.pid) / 1e9
    memory = peak_kb(process.pid)
    stop(process)
    return ended - began, cpu, memory


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
    # Every timed batch starts from a file system with nothing left to write,
    # and with its tapes read into memory: a machine that reclaims cached
    # files it has not touched for a while would otherwise make whichever
    # program comes later after an idle spell wait on the disk.
    os.sync()
    for path in glob.glob(os.path.join(directory, "*.tzx")):
        with open(path, "rb") as tape:
            while tape.read(1 << 20):
                pass


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
    # xdotool returns about a tenth of a second after its click is out, and
    # the window is converting by then: the first reaction is watched for
    # while it runs, or that tenth would go missing from the window's time.
    clicker = subprocess.Popen(["xdotool", "click", "1"])
    reacted = first_activity(process.pid, before)
    if clicker.wait() != 0:
        sys.exit("xdotool could not click")
    ended = settle(process, TITLE, lambda: tap_count(directory) == wanted, BATCH_SAMPLE)
    return ended - reacted, ended - sent, (cpu_ns(process.pid) - before) / 1e9


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def batch_on_command_line(convert, directory, tapes):
    """Elapsed and processor seconds of one ostrelm-convert call."""
    cpu, began = children_cpu(), now()
    subprocess.run([convert] + tapes, cwd=directory, stdout=subprocess.DEVNULL, check=True)
    return now() - began, children_cpu() - cpu


def describe(label, runs):
    return "  %-44s %8.3f %8.3f  (%d runs)" % (label, min(runs), statistics.median(runs), len(runs))


def batch_rounds(ostrelm, convert, batch_dir, rounds):
    """One window converts every selected tape of batch_dir at each press; the
    command line converts the same files in between."""
    tapes = sorted(os.path.basename(p) for p in glob.glob(os.path.join(batch_dir, "*.tzx")))
    # Every timed batch is a repeat, as its folder has held TAP files before:
    # one untimed conversion first.
    remove_taps(batch_dir)
    batch_on_command_line(convert, batch_dir, tapes)
    remove_taps(batch_dir)
    process, _ = start([ostrelm], batch_dir)
    settle(process, TITLE)
    startup_memory = peak_kb(process.pid)
    origin = window_origin(TITLE)
    window_runs, window_from_send, window_cpu, cli_runs, cli_cpu = [], [], [], [], []
    def in_window():
        reacted, sent, cpu = batch_in_window(process, batch_dir, origin, len(tapes))
        window_runs.append(reacted)
        window_from_send.append(sent)
        window_cpu.append(cpu)

    def on_command_line():
        seconds, cpu = batch_on_command_line(convert, batch_dir, tapes)
        cli_runs.append(seconds)
        cli_cpu.append(cpu)
        if tap_count(batch_dir) != len(tapes):
            sys.exit("ostrelm-convert wrote %d TAP files, not %d" % (tap_count(batch_dir), len(tapes)))

    # The cost of creating thousands of files can depend on what was removed
    # just before, so the two take turns at going first.
    for round_number in range(rounds):
        for batch in ((in_window, on_command_line) if round_number % 2 == 0 else (on_command_line, in_window)):
            batch()
            remove_taps(batch_dir)
    memory = peak_kb(process.pid)
    stop(process)
    return {"tapes": len(tapes), "window": window_runs, "from send": window_from_send, "window cpu": window_cpu,
            "cli": cli_runs, "cli cpu": cli_cpu, "memory": memory, "startup memory": startup_memory}


def main():
    ostrelm, baseline, convert, start_dir, batch_dir, baseline_cxx, large_dir = sys.argv[1:8]
    env_note = "HOME=%s" % os.environ.get("HOME", "")
    tapes_in_start = len(glob.glob(os.path.join(start_dir, "*.tzx")))

    # Start-up: the two programs take turns, so both meet the same
    # disturbances of a shared machine.
    # The baseline with one label shows what drawing any text at all costs
    # (fonts, shaping, font configuration): no target, an explanation.
    programs = {
        "ours": ([ostrelm], TITLE),
        "base": ([baseline, BASELINE_TITLE], BASELINE_TITLE),
        "text": ([baseline, LABEL_TITLE, "Convert > TAP"], LABEL_TITLE),
        # The same with the C++ runtime loaded, as every C++ program has it.
        "cxx": ([baseline_cxx, LABEL_TITLE, "Convert > TAP"], LABEL_TITLE),
    }
    runs = {name: [] for name in programs}
    for _ in range(STARTUP_RUNS):
        for name, (command, title) in programs.items():
            runs[name].append(startup_time(command, title, start_dir))
    ours, base = [r[0] for r in runs["ours"]], [r[0] for r in runs["base"]]
    base_memory = [r[2] for r in runs["base"]]

    batches = [batch_rounds(ostrelm, convert, batch_dir, BATCH_ROUNDS)]
    batches.append(batch_rounds(ostrelm, convert, large_dir, LARGE_ROUNDS))
    memory, startup_memory, tapes = batches[0]["memory"], batches[0]["startup memory"], batches[0]["tapes"]

    print()
    print("start-up, %d tapes in the folder (%s)         fastest s median s" % (tapes_in_start, env_note))
    print(describe("ostrelm: exec to mapped, filled and idle", ours))
    print(describe("minimal GTK+ 2 window (1021x700, empty)", base))
    print(describe("same with one label (no target)", [r[0] for r in runs["text"]]))
    for name, label in [("ours", "ostrelm"), ("base", "minimal window"), ("text", "with one label")]:
        print(describe("processor time: %s (no target)" % label, [r[1] for r in runs[name]]))
    for batch in batches:
        print("batch of %d tapes of about 48 KB" % batch["tapes"])
        print(describe("ostrelm: click handled to idle, all written", batch["window"]))
        print(describe("ostrelm: from sending the click (no target)", batch["from send"]))
        print(describe("ostrelm-convert, one call", batch["cli"]))
        print(describe("processor time: window (no target)", batch["window cpu"]))
        print(describe("processor time: ostrelm-convert (no target)", batch["cli cpu"]))
    print("peak resident memory (VmHWM)")
    print("  %-44s %8d KB" % ("ostrelm after %d batches" % BATCH_ROUNDS, memory))
    print("  %-44s %8d KB" % ("ostrelm after start-up, %d tapes" % tapes_in_start,
                                 max(r[2] for r in runs["ours"])))
    print("  %-44s %8d KB" % ("ostrelm after start-up, %d tapes" % tapes, startup_memory))
    print("  %-44s %8d KB" % ("minimal GTK+ 2 window", max(base_memory)))
    print("  %-44s %8d KB" % ("same with one label (no target)", max(r[2] for r in runs["text"])))
    print("  %-44s %8d KB" % ("same, with the C++ runtime (no target)", max(r[2] for r in runs["cxx"])))
    print()

    # Ratios of the fastest runs: the ones least disturbed by other work.
    checks = [
        ("start-up: time / minimal window's", min(ours) / min(base), "start-up"),
        *(("batch of %d: window's / ostrelm-convert's" % batch["tapes"], min(batch["window"]) / min(batch["cli"]),
           "batch") for batch in batches),
        ("memory: window's peak / minimal window's", memory / max(base_memory), "memory"),
    ]
    missed = 0
    for label, value, target in checks:
        ok = value <= TARGETS[target]
        missed += not ok
        print("  %-44s %8.2f  (target <= %g)  %s" % (label, value, TARGETS[target], "ok" if ok else "MISSED"))
    print("  %-44s %8.2f  (no target: medians)" %
          ("start-up: median / minimal window's median", statistics.median(ours) / statistics.median(base)))
    print("  %-44s %8.2f  (no target: fastest)" %
          ("start-up: processor time / minimal window's",
           min(r[1] for r in runs["ours"]) / min(r[1] for r in runs["base"])))
    for batch in batches:
        print("  %-44s %8.2f  (no target: medians)" % ("batch of %d: median / ostrelm-convert's" % batch["tapes"],
                                                       statistics.median(batch["window"]) / statistics.median(batch["cli"])))
        print("  %-44s %8.2f  (no target: fastest)" % ("batch of %d: processor time / ostrelm-convert's" % batch["tapes"],
                                                       min(batch["window cpu"]) / min(batch["cli cpu"])))
    print("  %-44s %8.2f  (no target: the floor of any" %
          ("memory: label window with C++ / minimal's", max(r[2] for r in runs["cxx"]) / max(base_memory)))
    print("  %-44s %8s   C++ window that draws text)" % ("", ""))
    print("  %-44s %8.2f  (no target)" %
          ("memory: window's peak / that floor", memory / max(r[2] for r in runs["cxx"])))
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
