#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, made on first
# use: no display (null graphics driver) and no crash debugger, so a crash is
# a non-zero exit and not a hang.
set -euo pipefail
: "${WINEPREFIX:=$(pwd)/wineprefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.tesserine-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /d '' /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tesserine-ready"
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
