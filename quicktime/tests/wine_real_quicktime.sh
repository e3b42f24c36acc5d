#!/usr/bin/env bash
# Runs the Windows real-QuickTime test program under Wine in a prefix made fresh for one case.
# Usage: wine_real_quicktime.sh <case> <test program .exe> <QuickTime.qts> <work folder>
#   qtsysdir:   "QTSysDir" names the folder of QuickTime.qts
#   qts_folder: "QTSysDir" names a missing folder, "QuickTime.qts folder" the right one
#   absent:     no QuickTime values; the program must not find QuickTime.qts at all
set -euo pipefail
case_name=$1 program=$2 library=$3 work=$4

export WINEPREFIX=$work/wine-qt-$case_name
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT

# Wine shows the Unix root as drive Z:.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
qts_folder=$(windows_path "$(cd "$(dirname "$library")" && pwd)")\\
missing_folder=$(windows_path "$work")\\no-such-folder\\
key='HKLM\Software\Apple Computer, Inc.\QuickTime'

timeout 300 wineboot --init >/dev/null 2>&1
set_value() { timeout 120 wine reg add "$key" /v "$1" /d "$2" /f >/dev/null 2>&1; }

filter=RealQuickTime.TheFirstCallBindsAndAMovieFileRoundTrips
case $case_name in
    qtsysdir)
        set_value QTSysDir "$qts_folder"
        export ORBIVANE_TEST_QTS_FOLDER=$qts_folder ;;
    qts_folder)
        set_value QTSysDir "$missing_folder"
        set_value "QuickTime.qts folder" "$qts_folder"
        export ORBIVANE_TEST_QTS_FOLDER=$qts_folder ;;
    absent)
        filter=RealQuickTime.WithoutQuickTimeEveryCallAnswersNotBound ;;
    *) echo "unknown case $case_name" >&2; exit 2 ;;
esac
timeout 120 wineserver -w

status=0
timeout 300 wine "$program" --gtest_filter="$filter" || status=$?
timeout 60 wineserver -k >/dev/null 2>&1 || true
[ "$status" -eq 0 ] && rm -rf "$WINEPREFIX"
exit "$status"
