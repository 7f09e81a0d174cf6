#!/usr/bin/env python3
"""A loaded machine, on demand: runs a command and now and then stops every process below it
for a moment (SIGSTOP, then SIGCONT), as a starved or descheduled process is stopped. A test
that passes only when nothing is late fails under it within a few runs; one that waits for
its conditions does not. Touches nothing but the command's own processes.

  tools/stutter.py [--stop S] [--every A:B] [--spare NAME[@SECS],...] -- COMMAND...

--stop S      how long each stop lasts (default 0.15 s)
--every A:B   the pause between stops, drawn from A..B seconds (default 0.5:2.5)
--spare ...   processes left running: NAME always, NAME@SECS once older than SECS (a
              program whose real-time threads a busy machine would not hold up, past its
              start). The command's exit status is this program's.

Example: tools/stutter.py --stop 0.4 --every 0.02:0.15 -- ctest --test-dir build -R weston
"""
import argparse
import os
import random
import signal
import subprocess
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def stat(pid):
    """The process's name and the fields of /proc/PID/stat after it."""
    with open(f"/proc/{pid}/stat") as f:
        st = f.read()
    with open(f"/proc/{pid}/comm") as f:
        return f.read().strip(), st[st.rindex(")") + 2 :].split()


def below(root):
    """Every process whose chain of parents reaches root."""
    kids = {}
    for d in os.listdir("/proc"):
        if d.isdigit():
            try:
                kids.setdefault(int(stat(d)[1][1]), []).append(int(d))
            except (OSError, ValueError, IndexError):
                pass
    out, todo = [], [root]
    while todo:
        for c in kids.get(todo.pop(), []):
            out.append(c)
            todo.append(c)
    return out


def spared(pid, spare):
    try:
        name, fields = stat(pid)
        with open("/proc/uptime") as f:
            age = float(f.read().split()[0]) - int(fields[19]) / TICK
    except (OSError, ValueError, IndexError):
        return True  # gone already
    return name in spare and age > spare[name]


def signal_all(pids, sig):
    for p in pids:
        try:
            os.kill(p, sig)
        except OSError:
            pass


def main():
    ap = argparse.ArgumentParser(usage=__doc__.split("\n\n")[1].strip())
    ap.add_argument("--stop", type=float, default=0.15)
    ap.add_argument("--every", default="0.5:2.5")
    ap.add_argument("--spare", default="")
    ap.add_argument("command", nargs=argparse.REMAINDER)
    args = ap.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    if not command:
        ap.error("no command")
    lo, hi = (float(x) for x in args.every.split(":"))
    spare = {}
    for item in filter(None, args.spare.split(",")):
        name, _, secs = item.partition("@")
        spare[name] = float(secs or 0)
    child = subprocess.Popen(command)
    try:
        while child.poll() is None:
            time.sleep(random.uniform(lo, hi))
            pids = [p for p in [child.pid] + below(child.pid) if not spared(p, spare)]
            signal_all(pids, signal.SIGSTOP)
            time.sleep(args.stop)
            signal_all(pids, signal.SIGCONT)
    finally:
        signal_all([child.pid] + below(child.pid), signal.SIGCONT)  # never leave one stopped
    return child.wait()


if __name__ == "__main__":
    sys.exit(main())
