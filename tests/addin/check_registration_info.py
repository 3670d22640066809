"""The registration-info function that every add-in on xlw serves the in-cell
help server, and the side file written from it, through xlhost.

Called by ctest: check_registration_info.py EMULATOR XLHOST SIDE_FILE LOADING
README ADDIN... (Tesserine's add-in first, its side file from the build's
release folder). For each add-in under Excel 12.0 and 16.0, one xlhost
process lists the registrations, asks the add-in as the server does
(--describe, which itself fails unless the call with the answered version
gives #NUM!), writes the side file and evaluates the function as a formula:
  - the hidden registration's name is "RegistrationInfo_" and Python's
    uuid5 of the upper-cased path, registered "QQ" with macro type 0 in no
    category, and nowhere in LOADING.txt or the README;
  - the table's rows are the other registrations, in order, field for field
    (xlfRegister's arguments 2 onwards, trailing empty texts aside);
  - the side file parses as XML and holds the same names and texts;
  - the formula by its name, with -1 and with a version above the current
    one, gives the table whose first row is the path and the version
    --describe printed: #NUM! answers the current version alone.
Under Excel 11.0 (Excel 4 records alone) no such function is registered.
"""
import re
import subprocess
import sys
import tempfile
import uuid
import xml.etree.ElementTree as ElementTree
from pathlib import Path

emulator, xlhost, side_file, loading, readme, *addins = sys.argv[1:]
NAMESPACE = uuid.UUID("306D016E-CCE8-4861-9DA1-51A27CBE341A")
XML_NAMESPACE = "{http://schemas.excel-dna.net/intellisense/1.0}"
LISTED = re.compile(r"^(\S+): (hidden, )?(?:register id \S+|refused) .*$")
DESCRIBED = re.compile(r"^(\S+):()$")
FIELD = re.compile(r"^  (\d+): (.*)$")
failures = []


def run(*arguments, check=True):
    result = subprocess.run([emulator, xlhost, *arguments], capture_output=True, text=True)
    if check and result.returncode != 0:
        raise SystemExit(f"xlhost {' '.join(arguments)} exited with {result.returncode}:\n"
                         f"{result.stdout}{result.stderr}")
    return result.stdout.replace("\r", ""), result.returncode


def blocks(lines, heading):
    """(name, hidden, {number: shown text}) per heading line and the fields after it."""
    found = []
    for line in lines:
        header, field = heading.match(line), FIELD.match(line)
        if header:
            found.append((header.group(1), bool(header.group(2)), {}))
        elif field and found:
            found[-1][2][int(field.group(1))] = field.group(2)
    return found


def from_second(fields):
    """Arguments 2 onwards, empty texts at the end left out."""
    values = [fields.get(i, '""') for i in range(2, max(fields) + 1)]
    while values and values[-1] == '""':
        values.pop()
    return values


def text(fields, number):
    shown = fields.get(number, '""')
    return shown[1:-1] if shown.startswith('"') else shown


user_texts = Path(loading).read_text(encoding="utf-8") + Path(readme).read_text(encoding="utf-8")
with tempfile.TemporaryDirectory() as folder:
    for addin in addins:
        path = "Z:" + str(Path(addin).resolve()).replace("/", "\\")
        name = "RegistrationInfo_" + uuid.uuid5(NAMESPACE, path.upper()).hex
        for version in ("12.0", "16.0"):
            case = f"{Path(addin).name} under {version}"
            written = Path(folder) / f"{version}-{Path(addin).stem}.xml"
            output, _ = run("--excel", version, "--list", "--describe", "--intellisense-xml",
                            str(written), addin, f"{name}(-1)", f"{name}(1e300)")
            listed_part, described_part = output.split("registration info: ", 1)
            listed = blocks(listed_part.splitlines(), LISTED)
            hidden = [b for b in listed if b[1]]
            functions = [b for b in listed if not b[1]]
            if [b[0] for b in hidden] != [name] or \
                    from_second(hidden[0][2])[:2] != ['"xlwRegistrationInfo"', '"QQ"']:
                failures.append(f"{case}: hidden registrations {hidden}, not {name} as QQ")
            elif hidden[0][2].get(6) != "0" or text(hidden[0][2], 7):
                failures.append(f"{case}: {name} is in the wizard's lists: {hidden[0][2]}")
            if name in user_texts:
                failures.append(f"{name} is named in LOADING.txt or the README")
            described_lines = described_part.splitlines()
            if described_lines[1] != f"add-in: {path}":
                failures.append(f"{case}: --describe says {described_lines[1]!r}, not {path}")
            version_line = re.match(r"version: (\S+) \(answers #NUM! when called with it\)$",
                                    described_lines[2])
            if not version_line or float(version_line.group(1)) <= -1:
                failures.append(f"{case}: no version above -1 in {described_lines[2]!r}")
            described = blocks(described_lines[3:], DESCRIBED)
            if [(b[0], from_second(b[2])) for b in described] != \
                    [(b[0], from_second(b[2])) for b in functions]:
                failures.append(f"{case}: the table is not what --list shows:\n"
                                f"{described}\n{functions}")
            formula_rows = [line for line in described_lines[3:] if line.startswith(path + ",")]
            if len(formula_rows) != 2 or \
                    any(row.split(",")[1] != version_line.group(1) for row in formula_rows):
                failures.append(f"{case}: {name}(-1) and (1e300) as formulas gave {formula_rows}")
            root = ElementTree.parse(written).getroot()
            side = [(f.get("Name"), f.get("Description"), f.get("HelpTopic") or "",
                     [(a.get("Name"), a.get("Description"))
                      for a in f.findall(XML_NAMESPACE + "Argument")])
                    for f in root.iter(XML_NAMESPACE + "Function")]
            expected = [(text(f, 4), text(f, 10), text(f, 9),
                         [(argument.strip(), text(f, 11 + k))
                          for k, argument in enumerate(text(f, 5).split(","))
                          if text(f, 5)])
                        for _, _, f in functions]
            if root.tag != XML_NAMESPACE + "IntelliSense" or side != expected:
                failures.append(f"{case}: the side file holds\n{side}\nnot\n{expected}")
            if addin == addins[0] and version == "16.0" and \
                    Path(side_file).read_bytes() != written.read_bytes():
                failures.append(f"{side_file} is not what xlhost writes under 16.0")
        output, code = run("--excel", "11.0", "--list", "--describe", addin, check=False)
        if "RegistrationInfo_" in output.split("registration info")[0] or code == 0:
            failures.append(f"{Path(addin).name} under 11.0: {output}")

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
