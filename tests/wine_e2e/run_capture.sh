#!/usr/bin/env bash
# The Windows build end to end: orbivane-host.exe, whose host objects are
# built in Microsoft's C++ ABI, runs the real Orbivane.dll under Wine, in a
# fresh prefix whose registry alone says where QuickTime.qts is, under a
# virtual display, and the movie it writes is checked on Linux against the
# Linux build's movie of the same capture.
#
# Usage: run_capture.sh <case> <orbivane-host.exe> <Orbivane.dll> <QuickTime.qts> <work folder> [linux orbivane-host]
#   default: the dialog's own grid, 24 x 13
#   stereo:  4 x 3, stereo pairs, the light following the view; then the same
#            prefix without the registry value, where nothing may be written
# The Linux build's orbivane-host comes from $ORBIVANE_LINUX_HOST, else the
# sixth argument, else $ORBIVANE_LINUX_BUILD/simhost/orbivane-host.
set -euo pipefail
case_name=$1 host_exe=$2 plugin_dll=$3 quicktime_qts=$4 work_root=$5
source "$(dirname "$0")/movie_checks.sh"
source "$(dirname "$0")/windows_host.sh"
find_linux_host "${6:-}" || exit 1

width=32 height=24
case $case_name in
    default) flags=() columns=24 rows=13 display=90 ;;
    stereo) flags=(--columns 4 --rows 3 --stereo --light-follows) columns=4 rows=3 display=95 ;;
    *) echo "unknown case $case_name" >&2; exit 2 ;;
esac
frames=$((columns * rows))
frame_width=$width
[ "$case_name" = stereo ] && frame_width=$((width * 2))

work=$work_root/$case_name
prepare_windows_host "$host_exe" "$plugin_dll" "$quicktime_qts" || exit 1
mkdir -p "$work/out-windows" "$work/out-linux"

echo "== Windows build: orbivane-host.exe ${flags[*]}"
started=$(date +%s%N)
status=0
run_windows_host "$work/out-windows/$case_name.mov" "$work/trace.txt" "${flags[@]}" || status=$?
echo "exit $status after $((($(date +%s%N) - started) / 1000000)) ms"
cat "$work/trace.txt.stdout"
if [ "$status" -ne 0 ]; then
    grep -v '^host: ' "$work/trace.txt" >&2 || true
    fail "orbivane-host.exe ended with $status"
    exit 1
fi

echo "== Linux build: $linux_host ${flags[*]}"
"$linux_host" "${flags[@]}" --codec raw --size "${width}x${height}" --out "$work/out-linux/$case_name.mov" >/dev/null

movie=$work/out-windows/$case_name.mov
reference=$work/out-linux/$case_name.mov
status=0
check_ffprobe "$movie" "$frames" "$frame_width" "$height" || status=1
check_moov_before_mdat "$movie" || status=1
check_navg "$movie" "$reference" "$columns" "$rows" || status=1
check_ctyp "$movie" || status=1
check_frames_match "$movie" "$reference" "$frame_width" "$height" "$frames" "$work" || status=1

# The save dialog the plug-in called, as the host's answer saw its record.
dialog=$(grep -F 'host: window.save_dialog(' "$work/trace.txt" || true)
echo "save dialog: ${dialog#host: }"
for expected in 'filter="QTVR Object file | *.mov"' 'default_extension="mov"' 'flags=2,' 'record_size=76,' \
                'owner="none"' 'instance="the plug-in"' 'dialog_title=null' "title=\"$case_name.mov\""; do
    [[ $dialog == *"$expected"* ]] || { fail "the save dialog record lacks $expected"; status=1; }
done

# The real progress window: created, its texts seen by its window procedure, destroyed.
grep -qF 'host: window.create_window(title="progress", created=true)' "$work/trace.txt" ||
    { fail "no progress window was created"; status=1; }
grep -qF 'host: window.destroy_window(' "$work/trace.txt" || { fail "the progress window was never destroyed"; status=1; }
texts=$(grep '^progress: ' "$work/trace.txt" || true)
echo "progress texts: $(wc -l <<<"$texts") seen, first \"$(head -1 <<<"$texts" | cut -c11-)\", last \"$(tail -1 <<<"$texts" | cut -c11-)\""
awk -v n="$frames" '
    { if ($0 !~ /^progress: progress  [0-9]+\/[0-9]+ \(remain [0-9]+ sec\)$/) { print "not the progress format: " $0; bad = 1; next }
      split(substr($0, 21), part, /[\/ ]/); k++
      if (part[1] != k || part[2] != n) { print "text " k " counts " part[1] "/" part[2] ", expected " k "/" n; bad = 1 } }
    END { if (k != n) { print k " texts for " n " frames"; bad = 1 } exit bad }' <<<"$texts" ||
    { fail "the progress texts are not one per frame in order"; status=1; }

# Nothing left behind: the frame movie, the intermediate and the host's working folders are gone.
left=$(ls -A "$work/out-windows")
[ "$left" = "$case_name.mov" ] || { fail "the output folder holds more than the movie: $left"; status=1; }
left=$(temporary_leftovers)
[ -z "$left" ] || { fail "temporary files left behind: $left"; status=1; }

if [ "$case_name" = stereo ] && [ "$status" -eq 0 ]; then
    echo "== without the registry value: QuickTime.qts is not found, which the host says before rendering"
    timeout 120 wine reg delete "$quicktime_key" /v QTSysDir /f >/dev/null 2>&1
    timeout 120 wineserver -w
    missing=0
    run_windows_host "$work/out-windows/unfound.mov" "$work/trace-unfound.txt" --columns 2 --rows 1 || missing=$?
    grep -v '^host: ' "$work/trace-unfound.txt" | grep -v '^progress: ' || true
    [ "$missing" -eq 2 ] && [ ! -e "$work/out-windows/unfound.mov" ] && grep -qF QuickTime.qts "$work/trace-unfound.txt" ||
        { fail "without QuickTime.qts the run ended with $missing and should be refused, writing nothing"; status=1; }
fi

if [ "$status" -eq 0 ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    echo "PASS: $case_name"
fi
exit "$status"
