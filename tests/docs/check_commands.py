"""Runs every command block of the README and of docs/ and checks what it prints.

A fenced block marked `sh` is run by bash from the repository root (with -e and
pipefail), and must succeed; a `text` block right after it (blank lines
between allowed) is what it must print, line for line, where a line beginning
with "..." stands for any line that ends in the rest of it (a path of the
machine). A block marked `sh skip` is not run: it says beside it why. Every
other block that begins like a command is a mistake, reported as one, so that
no command escapes the check. Called by ./tesserine test once the suites have
passed (the blocks use the release builds that ./tesserine demo makes):
    python3 tests/docs/check_commands.py [DOCUMENT.md...]
"""

import glob
import os
import re
import subprocess
import sys

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
command_start = re.compile(r"^(\./|cmake |ctest |WINEPREFIX=|build/)")


def documents(given):
    """The given files (relative to the repository), or all of them."""
    return given or ["README.md"] + sorted(glob.glob("docs/*.md", root_dir=root))


def blocks(path):
    """(info string, first line number, lines, text between it and the next)."""
    lines = open(os.path.join(root, path), encoding="utf-8").read().split("\n")
    found, i = [], 0
    while i < len(lines):
        fence = re.match(r"^```(.*)$", lines[i])
        indented = lines[i].startswith("    ") and (i == 0 or lines[i - 1] == "")
        if fence:
            end = lines.index("```", i + 1)
            found.append([fence.group(1).strip(), i + 1, lines[i + 1:end], ""])
            i = end + 1
        elif indented and command_start.match(lines[i].strip()):
            found.append(["indented", i + 1, [lines[i].strip()], ""])
            i += 1
        else:
            if found:
                found[-1][3] += lines[i].strip()
            i += 1
    return found


def matches(expected, actual):
    if len(expected) != len(actual):
        return False
    return all(a.endswith(e[3:]) if e.startswith("...") else a == e
               for e, a in zip(expected, actual))


def main():
    failures, run, skipped = [], 0, 0
    for document in documents(sys.argv[1:]):
        found = blocks(document)
        for k, (info, line, body, _) in enumerate(found):
            where = f"{document}:{line}"
            if info == "sh skip":
                skipped += 1
                continue
            if info != "sh":
                if info == "indented" or (info in ("", "bash", "shell", "console")
                                          and body and command_start.match(body[0])):
                    failures.append(f"{where}: a command block not marked `sh` or `sh skip`")
                continue
            run += 1
            print(f"{where}: {body[0]}", flush=True)
            result = subprocess.run(["bash", "-eo", "pipefail", "-c", "\n".join(body)], cwd=root,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            if result.returncode != 0:
                failures.append(f"{where}: exited with {result.returncode}\n{result.stderr}")
                continue
            following = found[k + 1] if k + 1 < len(found) else None
            if following and following[0] == "text" and found[k][3] == "":
                actual = result.stdout.replace("\r", "").rstrip("\n").split("\n")
                if not matches(following[2], actual):
                    failures.append(f"{where}: printed\n" + "\n".join(actual) +
                                    "\ninstead of\n" + "\n".join(following[2]))
    print(f"{run} command blocks run, {skipped} skipped as marked")
    if failures:
        sys.exit("\n\n".join(failures))


if __name__ == "__main__":
    main()
