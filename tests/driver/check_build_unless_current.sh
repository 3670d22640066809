#!/usr/bin/env bash
# The driver's xlhost skips setup and the build only when nothing they are
# made from changed: its two functions, taken from ./tesserine, in a folder
# of their own, with setup and build standing in as functions that only
# count their calls (and fail when told to).
#   check_build_unless_current.sh PATH/TO/tesserine
set -euo pipefail
driver=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# shellcheck disable=SC1090
source <(sed -n '/^sources_fingerprint() {/,/^}/p; /^build_unless_current() {/,/^}/p' "$driver")
declare -F sources_fingerprint build_unless_current >/dev/null

builds=0 fail=""
setup() { return 0; }
build() {
  builds=$((builds + 1))
  [ -z "$fail" ] || return 1
  mkdir -p "build/$1/host" && touch "build/$1/host/xlhost.exe"
}

mkdir -p src build/other
printf 'int a;\n' >src/a.cpp
printf 'x\n' >README.md
touch -d '2026-01-01 00:00:00' src/a.cpp README.md

failures=0
# expect WHAT BUILDS: build_unless_current built (1) or did not (0).
expect() {
  local what=$1 expected=$2 before=$builds
  build_unless_current preset build/preset/host/xlhost.exe || true
  if [ $((builds - before)) -ne "$expected" ]; then
    echo "$what: $((builds - before)) builds, not $expected" >&2
    failures=$((failures + 1))
  fi
}

expect "no build yet" 1
expect "nothing changed" 0
printf 'log\n' >build/other/log.txt
expect "a file under build/ changed" 0
# The same size and a later time, as an editor leaves a one-letter change.
printf 'int b;\n' >src/a.cpp
touch -d '2026-01-01 00:00:01' src/a.cpp
expect "a source changed, its size kept" 1
expect "then nothing changed" 0
# An earlier time, as a file copied with its time or checked out of an
# older commit has.
printf 'int c; int d;\n' >src/a.cpp
touch -d '2025-06-01 00:00:00' src/a.cpp
expect "a source changed to an earlier time" 1
touch src/b.cpp
expect "a source added" 1
rm src/b.cpp
expect "a source removed" 1
rm build/preset/host/xlhost.exe
expect "the program removed from the build" 1
touch README.md
fail=1
expect "a failed build" 1
fail=""
expect "after a failed build, the sources it failed on" 1
expect "then nothing changed" 0

if [ $failures -ne 0 ]; then
  exit 1
fi
echo "build_unless_current: built exactly when something changed"
