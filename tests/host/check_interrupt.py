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


def running(program):
    """The Unix ids of this run's processes of that program (a file name):
    those whose environment holds this run's mark, which Windows programs
    pass to those they start. Under wine64 the process Popen started is
    not the program's own."""
    found = set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                name = cmdline.read().split(b"\0")[0].decode(errors="replace")
            with open(f"/proc/{pid}/environ", "rb") as environ:
                marked = f"CHECK_INTERRUPT={own}".encode() in environ.read().split(b"\0")
        except OSError:
            continue
        if marked and name.replace("/", "\\").lower().endswith(program):
            found.add(int(pid))
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
xlhost = subprocess.Popen([emulator, "xlhost.exe", "--excel", "14.0", "--cluster", "1",
                           "FixtureAddIn.xll", "fix_Hang(1)"],
                          cwd=own, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, start_new_session=True,
                          env=dict(os.environ, CHECK_INTERRUPT=own))
failures = []
if not within(60, lambda: copies() and running("xlnode.exe")):
    failures.append("no node started within 60 s")
time.sleep(1)  # the call is with the node
for pid in running("xlhost.exe"):
    os.kill(pid, signal.SIGINT)
try:
    xlhost.wait(timeout=30)
except subprocess.TimeoutExpired:
    failures.append("xlhost did not end within 30 s of SIGINT")
    xlhost.kill()
if not within(10, lambda: not running("xlnode.exe")):
    failures.append("its node outlived xlhost")
    for pid in running("xlnode.exe"):
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
