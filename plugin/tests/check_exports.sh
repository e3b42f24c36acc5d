#!/bin/sh
# Checks what the built plug-in module exports: exactly the ten entry points
# (on Windows at ordinals 2 to 11 with the stdcall names decorated), and, for
# the DLL, that it is PE32 i386, imports only system DLLs, and lets Windows
# dispatch to the SEH handlers it registers by hand around every call into the
# host: no NO_SEH flag, and no SafeSEH table (which would have to list them,
# and the linker knows nothing of them; Wine checks neither).
# Usage: check_exports.sh pe|elf MODULE
set -eu
kind=$1
module=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$module" ] || fail "no module at $module"

if [ "$kind" = pe ]; then
    dump=$(i686-w64-mingw32-objdump -p "$module") || fail "objdump cannot read $module"
    echo "$dump" | grep -q '^Magic[[:space:]]*010b[[:space:]]*(PE32)' || fail "not PE32"
    i686-w64-mingw32-objdump -f "$module" | grep -q 'file format pei-i386' || fail "not i386"

    expected="2 has_interface
3 get_name
4 get_interface_version
5 create_interface
6 get_id
7 _get_exception@8
8 _get_info@12
9 _get_text_encoding@8
10 _has_separate_interfaces@4
11 _is_resident@12"
    base=$(echo "$dump" | sed -n 's/^Export Address Table -- Ordinal Base \([0-9]*\).*/\1/p')
    [ -n "$base" ] || fail "no export table"
    # Named exports: "[ index] name", index counted from the ordinal base.
    actual=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n "s/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\] \(.*\)$/\1 \2/p" |
        awk -v base="$base" '{ print $1 + base, $2 }' | sort -n)
    [ "$actual" = "$expected" ] || fail "named exports differ:
$actual"
    # Every address-table entry, named or not: ordinals 2 to 11 and no others.
    ordinals=$(echo "$dump" | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] +base\[[[:space:]]*\([0-9]*\)\].*/\1/p' | tr '\n' ' ')
    [ "$ordinals" = "2 3 4 5 6 7 8 9 10 11 " ] || fail "export ordinals are: $ordinals"

    # DllCharacteristics 0x0400: IMAGE_DLLCHARACTERISTICS_NO_SEH.
    characteristics=$(echo "$dump" | sed -n 's/^DllCharacteristics[[:space:]]*\([0-9a-fA-F]*\)$/\1/p')
    [ -n "$characteristics" ] || fail "no DllCharacteristics"
    [ $((0x$characteristics & 0x400)) -eq 0 ] || fail "the DLL carries the NO_SEH flag"
    # A load configuration (data directory entry 10) with SEHandlerTable and
    # SEHandlerCount (offsets 64 and 68) set is a SafeSEH table.
    load_config=$(echo "$dump" | sed -n 's/^Entry a \([0-9a-fA-F]*\) \([0-9a-fA-F]*\) Load Configuration Directory.*/\1 \2/p')
    set -- $load_config
    if [ "${1:-0}" != 00000000 ] && [ $((0x${2:-0})) -ge 72 ]; then
        image_base=$(echo "$dump" | sed -n 's/^ImageBase[[:space:]]*\([0-9a-fA-F]*\)$/\1/p')
        # The section holding it, from "Idx Name Size VMA LMA File-off" lines.
        rva=$((0x$1)) base=$((0x$image_base)) offset=
        while read -r index name size vma lma file_offset rest; do
            case $index in *[!0-9]* | '') continue ;; esac
            start=$((0x$vma - base))
            if [ "$rva" -ge "$start" ] && [ "$rva" -lt $((start + 0x$size)) ]; then
                offset=$((rva - start + 0x$file_offset))
            fi
        done <<SECTIONS
$(i686-w64-mingw32-objdump -h "$module")
SECTIONS
        [ -n "$offset" ] || fail "the load configuration lies in no section"
        safeseh=$(od -An -tu4 -j $((offset + 64)) -N 8 "$module" | tr -s ' ')
        [ "$safeseh" = " 0 0" ] || fail "the DLL has a SafeSEH table (table, count:$safeseh), which leaves out its own SEH handlers"
    fi

    # No mingw runtime DLL: only DLLs every Windows system has.
    for dll in $(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
        case $dll in
            kernel32.dll | user32.dll | advapi32.dll | comdlg32.dll | version.dll | msvcrt.dll) ;;
            *) fail "imports $dll" ;;
        esac
    done
elif [ "$kind" = elf ]; then
    expected="create_interface
get_exception
get_id
get_info
get_interface_version
get_name
get_text_encoding
has_interface
has_separate_interfaces
is_resident"
    actual=$(nm -D --defined-only "$module" | awk '{ print $3 }' | sort)
    [ "$actual" = "$expected" ] || fail "dynamic symbols differ:
$actual"
else
    fail "unknown module kind $kind"
fi
echo "exports of $module are as expected"
