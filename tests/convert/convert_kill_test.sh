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
if [ ! -x "$convert" ]; then
  convert=${OSTRELM_BUILD_DIR:?}/ostrelm-convert
  echo "note: no normal build, killing the sanitizer build's converter"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/ostrelm-kill.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/big"
python3 "$src/scripts/tzx-gen" big "$work/big/big.tzx" --megabytes 200 >/dev/null
python3 "$src/scripts/tzx-gen" small "$work/small" --count 2000 >/dev/null

CONVERT=$convert WORK=$work KILLS=${KILLS:-30} python3 - <<'EOF'
import ctypes, glob, hashlib, os, shutil, signal, struct, subprocess, sys, time

convert, work, kills = os.environ["CONVERT"], os.environ["WORK"], int(os.environ["KILLS"])
failures = []

def digest(path):
    h = hashlib.sha1()
    with open(path, "rb") as f:
        for chunk in iter(lambda: f.read(1 << 20), b""):
            h.update(chunk)
    return h.hexdigest()

def digests(folder, extension):
    return {name: digest(os.path.join(folder, name)) for name in os.listdir(folder) if name.endswith(extension)}

def run(folder, wait=True):
    names = sorted(n for n in os.listdir(folder) if n.endswith(".tzx"))
    process = subprocess.Popen([convert] + names, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if wait:
        process.wait()
    return process

def remove_taps(folder):
    for path in glob.glob(os.path.join(folder, "*.tap")):
        os.remove(path)

def reference(folder):
    """The TAP files of an undisturbed run, and how long it takes."""
    run(folder)
    taps = digests(folder, ".tap")
    spans = []
    for _ in range(3):
        remove_taps(folder)
        start = time.monotonic()
        run(folder)
        spans.append(time.monotonic() - start)
    remove_taps(folder)
    return taps, sorted(spans)[1]

def check_folder(folder, tapes, taps, when):
    for name in os.listdir(folder):
        if name in tapes:
            continue
        if name not in taps:
            failures.append("%s: a file left that is no TAP file: %s" % (when, name))
        elif digest(os.path.join(folder, name)) != taps[name]:
            failures.append("%s: %s differs from the reference" % (when, name))

def kill_at_moments(label, folder):
    tapes = digests(folder, ".tzx")
    taps, span = reference(folder)
    cut = 0
    for i in range(kills):
        moment = span * 1.1 * (i + 0.5) / kills
        process = run(folder, wait=False)
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

# Two at once, watched: IN_CREATE, IN_MOVED_TO and IN_MODIFY by name.
IN_MODIFY, IN_MOVED_TO, IN_CREATE = 0x2, 0x80, 0x100
libc = ctypes.CDLL(None, use_errno=True)
watch = libc.inotify_init1(os.O_NONBLOCK)
libc.inotify_add_watch(watch, small.encode(), IN_MODIFY | IN_MOVED_TO | IN_CREATE)
first, second = run(small, wait=False), run(small, wait=False)
first.wait(); second.wait()
events = {}
while True:
    try:
        data = os.read(watch, 1 << 20)
    except BlockingIOError:
        break
    offset = 0
    while offset < len(data):
        _, mask, _, size = struct.unpack_from("iIII", data, offset)
        name = data[offset + 16:offset + 16 + size].rstrip(b"\0").decode()
        events.setdefault(name, []).append(mask & (IN_MODIFY | IN_MOVED_TO | IN_CREATE))
        offset += 16 + size
check_folder(small, tapes, taps, "two converters")
for name in taps:
    if not os.path.exists(os.path.join(small, name)):
        failures.append("two converters: no " + name)
    if events.get(name) != [IN_CREATE]:
        failures.append("two converters: %s came about by %s" % (name, events.get(name)))
print("two converters: %d TAP files, each created once" % len(taps) if not failures else "")

for failure in failures[:20]:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
EOF
