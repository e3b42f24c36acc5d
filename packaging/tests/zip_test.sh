#!/usr/bin/env bash
# CPack's Windows .zip: the plug-in and its installing text at the top, the Wine
# trial kit in a folder of its own, and a QuickTime.qts without the test controls
# (its export table holds QuickTime's three entries only). The kit is then run
# as its README.txt says, in a fresh Wine prefix, from the unpacked folder.
# Usage: zip_test.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"
cpack --config "$build/CPackConfig.cmake" -B "$work/packages" >/dev/null
zip=$(ls "$work"/packages/orbivane-*-win32.zip)
(cd "$work" && unzip -q "$zip")
top=$(basename "$zip" .zip)
listed=$(cd "$work/$top" && find . -type f | sed 's|^\./||' | sort)
expected="INSTALL.txt
Orbivane.dll
wine-trial/QuickTime.qts
wine-trial/README.txt
wine-trial/orbivane-host-engine.dll
wine-trial/orbivane-host.exe"
[ "$listed" = "$expected" ] || fail "the zip holds: $listed"
exports=$(i686-w64-mingw32-objdump -p "$work/$top/wine-trial/QuickTime.qts" |
    awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /\]/ {print $NF} on && /^$/ {on = 0}' | sort | xargs)
[ "$exports" = "_CallComponent _CallComponentFunctionWithStorage theQuickTimeDispatcher" ] ||
    fail "the packed QuickTime.qts exports: $exports"
grep -q "Orbivane.dll" "$work/$top/INSTALL.txt" || fail "INSTALL.txt does not name the DLL"

cd "$work/$top"
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 300 wineboot --init >/dev/null 2>&1
timeout 120 wine reg add 'HKLM\Software\Apple Computer, Inc.\QuickTime' /v QTSysDir \
    /d "Z:$(pwd | tr / '\\')\\wine-trial" /f >/dev/null 2>&1
timeout 120 wineserver -w
timeout 300 xvfb-run -a -s "-screen 0 800x600x24" wine wine-trial/orbivane-host.exe --plugin Orbivane.dll \
    --out demo.mov --columns 4 --rows 2 --size 32x24 >"$work/run.txt" 2>&1 || { cat "$work/run.txt" >&2; fail "the kit did not run"; }
frames=$(ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 demo.mov)
[ "$frames" = 8 ] || fail "the kit's movie holds $frames frames, not 8"
echo "$(basename "$zip"): $(echo $listed); the kit captured 8 frames under Wine"
