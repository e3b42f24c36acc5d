#!/usr/bin/env bash
# Runs a Windows program under Wine with a virtual display, in a prefix of its own.
# Usage: with_display.sh <prefix folder> <program.exe> [arguments...]
set -euo pipefail
export WINEPREFIX=$1
shift
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# A desktop left from an earlier (now gone) display would refuse new windows.
timeout 60 wineserver -k >/dev/null 2>&1 || true
[ -f "$WINEPREFIX/system.reg" ] || timeout 300 wineboot --init >/dev/null 2>&1
timeout 120 wineserver -w
exec timeout 600 xvfb-run -a -s "-screen 0 800x600x24" wine "$@"
