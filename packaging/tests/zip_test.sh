#!/usr/bin/env bash
# CPack's Windows .zip: the plug-in and its installing text at the top, the Wine
# trial kit in a folder of its own, and a QuickTime.qts without the test controls
# (its export table holds QuickTime's three entries only).
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
echo "$(basename "$zip"): $(echo $listed)"
