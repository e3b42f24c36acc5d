# Running orbivane-host.exe under Wine, sourced by run_capture.sh and
# run_failures.sh. The program, its engine and the plug-in go into one folder,
# QuickTime.qts into a folder of its own that only the registry names, so
# nothing is found by being beside anything; all in a fresh prefix.
#
# The sourcing script sets work (its folder), width, height and display.

# find_linux_host [argument]: sets linux_host to the Linux build's orbivane-host,
# whose movies the Windows build's are compared with: $ORBIVANE_LINUX_HOST, else
# the argument, else $ORBIVANE_LINUX_BUILD/simhost/orbivane-host.
find_linux_host() {
    linux_host=${ORBIVANE_LINUX_HOST:-${1:-}}
    if [ -z "$linux_host" ] && [ -n "${ORBIVANE_LINUX_BUILD:-}" ]; then
        linux_host=$ORBIVANE_LINUX_BUILD/simhost/orbivane-host
    fi
    if [ -z "$linux_host" ] || [ ! -x "$linux_host" ]; then
        echo "FAIL: the Linux build's orbivane-host is needed to compare with (got '${linux_host}');" \
             "build it and set ORBIVANE_LINUX_BUILD (scripts/test-all.sh does) or ORBIVANE_LINUX_HOST." >&2
        return 1
    fi
}

# Wine shows the Unix root as drive Z:.
windows_path() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
quicktime_key='HKLM\Software\Apple Computer, Inc.\QuickTime'

# prepare_windows_host <orbivane-host.exe> <Orbivane.dll> <QuickTime.qts>
prepare_windows_host() {
    local host_exe=$1 plugin_dll=$2 quicktime_qts=$3
    rm -rf "$work"
    mkdir -p "$work/host" "$work/quicktime"
    cp "$host_exe" "$(dirname "$host_exe")/orbivane-host-engine.dll" "$plugin_dll" "$work/host/"
    cp "$quicktime_qts" "$work/quicktime/"

    export WINEPREFIX=$work/prefix
    export WINEARCH=win32
    export WINEDEBUG=-all
    # No debugger on a crash: the run ends at once with a failing status.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
    trap 'timeout 30 wineserver -k >/dev/null 2>&1 || true' EXIT

    echo "== fresh prefix $WINEPREFIX"
    timeout 300 wineboot --init >/dev/null 2>&1
    timeout 120 wine reg add "$quicktime_key" /v QTSysDir /d "$(windows_path "$work/quicktime")" /f >/dev/null 2>&1
    timeout 120 wine reg query "$quicktime_key" /v QTSysDir 2>/dev/null | tr -d '\r' |
        grep -F "$(windows_path "$work/quicktime")" >/dev/null ||
        { fail "the registry value QTSysDir was not set"; return 1; }
    # A desktop started without the virtual display would refuse our windows:
    # let this prefix's processes end before the display exists.
    timeout 120 wineserver -w
}

# run_windows_host <out movie> <trace file> [flags...]: runs a capture under a
# virtual display; stderr (the trace) goes to the trace file, stdout beside it.
run_windows_host() {
    local out=$1 trace=$2 status=0
    shift 2
    timeout 600 xvfb-run -a -n "$display" -s "-screen 0 800x600x24" \
        wine "$work/host/orbivane-host.exe" --plugin "$(windows_path "$work/host/Orbivane.dll")" \
        "$@" --codec raw --size "${width}x${height}" --out "$(windows_path "$out")" --trace \
        >"$trace.stdout" 2>"$trace" || status=$?
    # msvcrt writes text with CR LF line ends.
    sed -i 's/\r$//' "$trace" "$trace.stdout"
    timeout 120 wineserver -w || true
    return "$status"
}

# Temporary movies or working folders left in the prefix's temporary folder.
temporary_leftovers() {
    find "$WINEPREFIX/drive_c/users" -ipath '*temp*' \( -name '*.mov*' -o -name 'orbivane-host-*' \) 2>/dev/null || true
}
