#!/usr/bin/env python3
"""xlhost interrupted in the middle of an offloaded call, as Ctrl-C or
`kill -INT` interrupts it (Wine hands SIGINT to the console handlers), ends
its node and removes the node's copy before it goes.

Usage: check_interrupt.py EMULATOR FOLDER, FOLDER holding xlhost.exe,
xlnode.exe, XLCALL32.DLL and the fixture add-in; WINEPREFIX names the Wine
prefix. The programs run from a folder of their own, so that the suites
running meanwhile start no node and make no copy that could be taken for
this run's."""
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

emulator, folder = sys.argv[1:3]
prefix = os.environ["WINEPREFIX"]
MARK = "interrupted.txt"  # a data file, so a node's copy holds it too


def copies():
    """This run's node copies in the prefix's temporary folders."""
    pattern = os.path.join(prefix, "drive_c", "users", "*", "**", "xlnode-*", MARK)
    return {os.path.dirname(path) for path in glob.glob(pattern, recursive=True)}


def nodes(program):
    """The Unix ids of the running processes of that Windows program."""
    found = set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                if cmdline.read().split(b"\0")[0].decode(errors="replace") == program:
                    found.add(int(pid))
        except OSError:
            pass
    return found


def within(seconds, condition):
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.1)
    return True


own = tempfile.mkdtemp(prefix="interrupt-", dir=folder)
for name in ("xlhost.exe", "xlnode.exe", "XLCALL32.DLL", "FixtureAddIn.xll", "FixtureData.txt"):
    shutil.copy(os.path.join(folder, name), own)
open(os.path.join(own, MARK), "w").close()
node = "Z:" + os.path.join(os.path.abspath(own), "xlnode.exe").replace("/", "\\")
xlhost = subprocess.Popen([emulator, "xlhost.exe", "--excel", "14.0", "--cluster", "1",
                           "FixtureAddIn.xll", "fix_Hang(1)"],
                          cwd=own, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, start_new_session=True)
failures = []
if not within(60, lambda: copies() and nodes(node)):
    failures.append("no node started within 60 s")
started = nodes(node)
time.sleep(1)  # the call is with the node
os.kill(xlhost.pid, signal.SIGINT)
try:
    xlhost.wait(timeout=30)
except subprocess.TimeoutExpired:
    failures.append("xlhost did not end within 30 s of SIGINT")
    xlhost.kill()
if not within(10, lambda: not nodes(node)):
    failures.append("its node outlived xlhost")
    for pid in nodes(node):
        os.kill(pid, signal.SIGKILL)
if copies():
    failures.append(f"its copy was left: {sorted(copies())}")
    for copy in copies():
        shutil.rmtree(copy, ignore_errors=True)
time.sleep(0.5)
shutil.rmtree(own, ignore_errors=True)
for failure in failures:
    print("check_interrupt:", failure)
sys.exit(1 if failures else 0)
