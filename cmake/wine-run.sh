#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, made on first
# use: no display (null graphics driver) and no crash debugger, so a crash is
# a non-zero exit and not a hang.
set -euo pipefail
: "${WINEPREFIX:=$(pwd)/wineprefix}"
# Wine reads Unix file names and arguments in the character set of the Unix
# locale, and takes its ANSI code page from LC_ALL (or from LANG when that
# locale is installed); with no locale at all, as on CI, a folder named
# "Jürgen" cannot even be reached. C.UTF-8 exists on every Debian: file names
# in UTF-8, and the ANSI code page of en-US, 1252, which the tests expect.
export LC_ALL=C.UTF-8
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# The marker names the configuration, so a prefix made before the debugger
# was taken out of both registry views is configured again.
ready="$WINEPREFIX/.tesserine-ready-no-debugger"
(
  flock 9
  if [ ! -f "$ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # A 64-bit prefix keeps two views of HKLM\Software: 64-bit programs read
    # one, 32-bit programs the other (Wow6432Node), and each names winedbg.
    for view in 32 64; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d '' /f /reg:$view >/dev/null 2>&1
    done
    wineserver -w
    touch "$ready"
  fi
) 9>"$WINEPREFIX.lock"
# A client that connects while an idle server is shutting down fails with
# "recvmsg: Connection reset by peer", so the server waits 30 s after its last
# client and the suites of one run share it. The server's first client starts
# Wine's background processes, which keep the streams they inherit until the
# server ends: that client is a silent one, or a caller reading this run's
# output would wait for the server. (Exit status 2: a server already runs.)
if wineserver -p30 </dev/null >/dev/null 2>&1; then
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
exec wine "$@"
