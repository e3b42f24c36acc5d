#!/usr/bin/env bash
# Stops and failures between Orbivane.dll and a host built in Microsoft's C++
# ABI, under Wine: 4 x 3 stereo captures with the light following, where the
# rig changes the camera, the image size and the light.
#   - the user's stop in row 3 (the host's host_stop from progress advance):
#     rows 1 and 2 are written, frame for frame as the Linux build writes them,
#     and the record says 2 rows;
#   - a host_failure raised by the host at the user's eye point, the light's
#     vector, a render, an append of a frame: the command fails, the host's
#     catch receives that very host_failure (the one it raised, copied and
#     destroyed as its runtime would), the camera, image size and light are
#     as before, every reference the plug-in took is given back, and neither
#     the frame movie nor an output file is left;
#   - a host_failure from progress advance: the progress update takes any
#     exception from the advance as the user's stop, so the complete row is
#     written as by a stop at that frame, and the same clean-up holds.
# The host's report of each command is its trace line plugin.invoke_ended.
#
# Usage: run_failures.sh <orbivane-host.exe> <Orbivane.dll> <QuickTime.qts> <work folder> [linux orbivane-host]
set -euo pipefail
host_exe=$1 plugin_dll=$2 quicktime_qts=$3 work=$4/failures
source "$(dirname "$0")/movie_checks.sh"
source "$(dirname "$0")/windows_host.sh"
find_linux_host "${5:-}" || exit 1

width=32 height=24 display=97
flags=(--columns 4 --rows 3 --stereo --light-follows)
prepare_windows_host "$host_exe" "$plugin_dll" "$quicktime_qts" || exit 1
status=0

# The host's report: the state before and after, and what its catch received.
field() { sed -n "s/.*[(, ]$2=\\([^,)]*\\).*/\\1/p" <<<"$1"; }
check_report() {  # check_report <trace> <outcome> <failures raised> <caught text>
    local trace=$1 before after ended
    before=$(grep '^host: plugin.invoke(' "$trace" | sed 's/.*host_state="\([^"]*\)".*/\1/')
    ended=$(grep '^host: plugin.invoke_ended(' "$trace")
    after=$(sed 's/.*host_state="\([^"]*\)".*/\1/' <<<"$ended")
    echo "host: before ($before), after ($after)"
    echo "${ended#host: }"
    [ -n "$before" ] && [ "$before" = "$after" ] || { fail "camera, image size or light not as before: $after"; return 1; }
    [[ $ended == *"outcome=$2,"* ]] || { fail "the command ended otherwise than expected (outcome $2)"; return 1; }
    [[ $ended == *"caught=\"$4\""* ]] || { fail "the host's catch received something else than \"$4\""; return 1; }
    [ "$(field "$ended" failures_raised)" = "$3" ] || { fail "the host raised $(field "$ended" failures_raised) failures, not $3"; return 1; }
    if [ "$3" -gt 0 ] && [ "$2" = 2 ]; then
        [ "$(field "$ended" failure_caught)" = "$3" ] || { fail "the failure caught is not the one raised"; return 1; }
    fi
    [ "$(field "$ended" failures_alive)" = 0 ] || { fail "host_failure objects were copied and not destroyed"; return 1; }
    [ "$(field "$ended" references_held)" = 0 ] || { fail "the plug-in kept references"; return 1; }
    ! grep '^warning: ' "$trace" || { fail "the host's audit reports a fault"; return 1; }
    [ -z "$(temporary_leftovers)" ] || { fail "temporary files left behind: $(temporary_leftovers)"; return 1; }
}

# check_written <case> <frames written> <rows> <Linux --abort-at>: the movie against the Linux build's stop there.
check_written() {
    local name=$1 frames=$2 rows=$3 reference=$work/out-linux/$1.mov movie=$work/out-windows/$1/$1.mov
    "$linux_host" "${flags[@]}" --abort-at "$4" --codec raw --size "${width}x${height}" --out "$reference" >/dev/null ||
        [ $? -eq 130 ] || { fail "the Linux build's stopped capture failed"; return 1; }
    check_ffprobe "$movie" "$frames" $((2 * width)) "$height" &&
        check_navg "$movie" "$reference" 4 "$rows" &&
        check_frames_match "$movie" "$reference" $((2 * width)) "$height" "$frames" "$work"
}

mkdir -p "$work/out-windows"/{stop,advance,camera.eye_point,light.get_vector,renderer.render,renderer.append_frame} \
    "$work/out-linux"

echo "== the user's stop at the 10th frame, in row 3"
result=0
run_windows_host "$work/out-windows/stop/stop.mov" "$work/stop.txt" "${flags[@]}" --abort-at 10 || result=$?
cat "$work/stop.txt.stdout"
[ "$result" -eq 130 ] || { fail "a stopped capture ended with $result, not 130"; status=1; }
check_report "$work/stop.txt" 0 0 "" || status=1
check_written stop 8 2 10 || status=1

for failing in camera.eye_point:1 light.get_vector:1 renderer.render:7 renderer.append_frame:5; do
    echo "== a host_failure at call ${failing#*:} of ${failing%:*}"
    name=${failing%:*}
    result=0
    ORBIVANE_HOST_FAIL_AT=$failing run_windows_host "$work/out-windows/$name/$name.mov" "$work/$name.txt" "${flags[@]}" ||
        result=$?
    reason="injected failure: call ${failing#*:} of ${failing%:*} fails"
    grep -xF "The command failed: $reason." "$work/$name.txt" || { fail "exit $result without the failure's sentence"; status=1; }
    [ "$result" -eq 1 ] || { fail "a failed capture ended with $result, not 1"; status=1; }
    check_report "$work/$name.txt" 2 1 "$reason" || status=1
    [ -z "$(ls -A "$work/out-windows/$name")" ] || { fail "left in the output folder: $(ls -A "$work/out-windows/$name")"; status=1; }
done

echo "== a host_failure from the 6th progress advance, not the user's stop"
result=0
ORBIVANE_HOST_FAIL_AT=progress.advance:6 run_windows_host "$work/out-windows/advance/advance.mov" "$work/advance.txt" \
    "${flags[@]}" || result=$?
cat "$work/advance.txt.stdout"
[ "$result" -eq 0 ] || { fail "ended with $result"; status=1; }
check_report "$work/advance.txt" 0 1 "" || status=1
check_written advance 4 1 6 || status=1

if [ "$status" -eq 0 ]; then
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    echo "PASS: stops and failures"
fi
exit "$status"
