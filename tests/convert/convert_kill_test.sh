#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ostrelm-convert killed with SIGKILL at moments spread over its run, on a
# 200 MB tape and on 2,000 tapes: after every kill each TAP file present has
# the reference bytes and no other file is there. Then two converters started
# at once on the same 2,000 tapes: every TAP file is whole and comes into
# being once (inotify: one creation, never a rename onto it or a write to it).
# Uses the normal build's converter, whose timing is that of real use.
set -eu
src=${OSTRELM_SOURCE_DIR:?set OSTRELM_SOURCE_DIR to the repository}
convert=${OSTRELM_RELEASE_DIR:-$src/build}/ostrelm-convert
[ -x "$convert" ] || { convert=${OSTRELM_BUILD_DIR:?}/ostrelm-convert; echo "note: killing the sanitizer build's one"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/big"
python3 "$src/scripts/tzx-gen" big "$work/big/big.tzx" --megabytes 200 >/dev/null
python3 "$src/scripts/tzx-gen" small "$work/small" --count 2000 >/dev/null

CONVERT=$convert WORK=$work KILLS=${KILLS:-30} python3 - <<'EOF'
import ctypes, hashlib, os, signal, struct, subprocess, sys, time

convert, work, kills = os.environ["CONVERT"], os.environ["WORK"], int(os.environ["KILLS"])
failures = []

def digest(path):
    with open(path, "rb") as f:
        return hashlib.file_digest(f, "sha1").hexdigest()

def digests(folder, extension):
    return {name: digest(os.path.join(folder, name)) for name in os.listdir(folder) if name.endswith(extension)}

def run(folder):
    names = sorted(n for n in os.listdir(folder) if n.endswith(".tzx"))
    return subprocess.Popen([convert] + names, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

def remove_taps(folder):
    [os.remove(os.path.join(folder, name)) for name in os.listdir(folder) if name.endswith(".tap")]

def check_folder(folder, tapes, taps, when):
    failures.extend("%s: %s is no reference TAP file" % (when, name) for name in set(os.listdir(folder)) - set(tapes)
                    if taps.get(name) != digest(os.path.join(folder, name)))

def kill_at_moments(label, folder):
    """Kills spread over an undisturbed run's time (the middle of three, after one to warm the caches)."""
    tapes, spans = digests(folder, ".tzx"), []
    for _ in range(4):
        remove_taps(folder)
        start = time.monotonic()
        run(folder).wait()
        spans.append(time.monotonic() - start)
    taps = digests(folder, ".tap")
    remove_taps(folder)
    span, cut = sorted(spans[1:])[1], 0
    for i in range(kills):
        moment = span * 1.1 * (i + 0.5) / kills
        process = run(folder)
        time.sleep(moment)
        process.send_signal(signal.SIGKILL)
        cut += process.wait() == -signal.SIGKILL
        check_folder(folder, tapes, taps, "%s, killed after %.3f s" % (label, moment))
        remove_taps(folder)
    if digests(folder, ".tzx") != tapes:
        failures.append(label + ": a tape changed")
    print("%s: %d kills over %.3f s, %d of them during the run" % (label, kills, span, cut))
    if cut < kills * 2 // 3:
        failures.append("%s: only %d kills met the converter running" % (label, cut))
    return taps, tapes

kill_at_moments("200 MB tape", os.path.join(work, "big"))
small = os.path.join(work, "small")
taps, tapes = kill_at_moments("2,000 tapes", small)

# Two at once, watched: IN_CREATE, IN_MOVED_TO and IN_MODIFY by name; one read
# takes every event queued.
IN_MODIFY, IN_MOVED_TO, IN_CREATE = 0x2, 0x80, 0x100
libc = ctypes.CDLL(None, use_errno=True)
watch = libc.inotify_init1(os.O_NONBLOCK)
libc.inotify_add_watch(watch, small.encode(), IN_MODIFY | IN_MOVED_TO | IN_CREATE)
first, second = run(small), run(small)
first.wait(), second.wait()
events, data = {}, os.read(watch, 1 << 26)
while data:
    _, mask, _, size = struct.unpack_from("iIII", data)
    events.setdefault(data[16:16 + size].rstrip(b"\0").decode(), []).append(mask)
    data = data[16 + size:]
check_folder(small, tapes, taps, "two converters")
for name in taps:
    if events.get(name) != [IN_CREATE] or not os.path.exists(os.path.join(small, name)):
        failures.append("two converters: %s came about by %s" % (name, events.get(name)))
print("\n".join("FAIL: " + f for f in failures[:20]) or "two converters: %d TAP files, each created once" % len(taps))
sys.exit(1 if failures else 0)
EOF
