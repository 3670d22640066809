"""Compiles every C++ block of the README and of docs/ against an installed xlw package.

A fenced block marked `cpp` is a whole source file: it is compiled as it stands, with
-Wall -Wextra -Werror, against the package's headers only, as an add-in's author has them.
A block marked `cpp PATH` (a file of the repository, such as examples/Functions.cpp) is an
excerpt: it must appear in that file word for word, and the file must compile. A block
marked `cpp skip` is not compiled: it says beside it why. A block marked `c++` or `C++`,
or a `cpp` block with anything else after it, is a mistake, reported as one, so that no
C++ escapes the check. Run by ctest from each Windows build (tests/examples):
    python3 tests/docs/check_cpp_blocks.py COMPILER INCLUDE [DOCUMENT.md...]
"""

import os
import subprocess
import sys
import tempfile

from check_commands import blocks, documents, root


def compile_errors(compiler, include, source):
    """The compiler's complaint about one source file, or None when it compiles."""
    result = subprocess.run([compiler, "-std=c++17", "-Wall", "-Wextra", "-Werror",
                             "-fsyntax-only", "-I", include, source],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return result.stdout if result.returncode != 0 else None


def main():
    compiler, include = sys.argv[1:3]
    failures, compiled, skipped = [], 0, 0
    with tempfile.TemporaryDirectory() as work:
        for document in documents(sys.argv[3:]):
            for info, line, body, _ in blocks(document):
                where = f"{document}:{line}"
                words = info.split(maxsplit=1)
                if not words or words[0].lower() not in ("cpp", "c++"):
                    continue
                if words[0] != "cpp":
                    failures.append(f"{where}: a C++ block not marked `cpp`")
                    continue
                if words[1:] == ["skip"]:
                    skipped += 1
                    continue
                text = "\n".join(body) + "\n"
                if len(words) == 2:
                    path = os.path.join(root, words[1])
                    if not os.path.isfile(path):
                        failures.append(f"{where}: {words[1]} is no file of the repository")
                        continue
                    if text not in open(path, encoding="utf-8").read():
                        failures.append(f"{where}: the block is not a part of {words[1]}")
                        continue
                    source = path
                else:
                    source = os.path.join(work, f"block{compiled}.cpp")
                    with open(source, "w", encoding="utf-8") as file:
                        file.write(text)
                compiled += 1
                errors = compile_errors(compiler, include, source)
                if errors is not None:
                    failures.append(f"{where}: does not compile\n{errors}")

    print(f"{compiled} C++ blocks compiled, {skipped} skipped as marked")
    if failures:
        sys.exit("\n\n".join(failures))


if __name__ == "__main__":
    main()
