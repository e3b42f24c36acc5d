# Checks of an object movie read on Linux: atoms by walking the file, frames
# with ffprobe and ffmpeg. Sourced by run_capture.sh; every check prints what
# it found and returns non-zero on a mismatch.

fail() { echo "FAIL: $*" >&2; return 1; }

# Big-endian 32-bit value at a byte offset.
be32() { od -An -tu1 -j "$2" -N 4 "$1" | awk 'NF == 4 { print (($1 * 256 + $2) * 256 + $3) * 256 + $4 }'; }
# Four characters at a byte offset.
four_chars() { dd if="$1" bs=1 skip="$2" count=4 status=none; }
# Bytes as spaced hex, for comparing and showing payloads.
hex_bytes() { od -An -tx1 -v -j "$2" -N "$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

# Lists "offset size type" for the atoms in [begin, end) of a file, checking
# that each one's size fits what holds it.
atoms_in() {
    local file=$1 at=$2 end=$3 size type
    while [ $((at + 8)) -le "$end" ]; do
        size=$(be32 "$file" "$at")
        type=$(four_chars "$file" $((at + 4)))
        if [ -z "$size" ] || [ "$size" -lt 8 ] || [ "$size" -gt $((end - at)) ]; then
            fail "$file: atom '$type' at $at has size ${size:-none}, outside its container"
            return 1
        fi
        echo "$at $size $type"
        at=$((at + size))
    done
}

# "offset size" of the first atom along a path of types (moov udta NAVG).
find_atom() {
    local file=$1 begin=0 end line at size type
    end=$(stat -c %s "$file")
    shift
    for type in "$@"; do
        line=$(atoms_in "$file" "$begin" "$end" | awk -v t="$type" '$3 == t { print $1, $2; exit }') || return 1
        [ -n "$line" ] || { fail "$file: no '$type' atom along $*"; return 1; }
        read -r at size <<<"$line"
        begin=$((at + 8))
        end=$((at + size))
    done
    echo "$at $size"
}

# The top-level atoms in order: the movie resource must come before the media data.
check_moov_before_mdat() {
    local file=$1 order
    order=$(atoms_in "$file" 0 "$(stat -c %s "$file")" | awk '{ print $3 }' | tr '\n' ' ') || return 1
    echo "top-level atoms: $order"
    case " $order" in
        *" moov "*"mdat "*) ;;
        *) fail "$file: 'moov' does not come before 'mdat' ($order)" ;;
    esac
}

# Frame count and size as ffprobe reads them by decoding every frame.
check_ffprobe() {
    local file=$1 frames=$2 width=$3 height=$4 seen
    seen=$(ffprobe -v error -count_frames -select_streams v:0 \
        -show_entries stream=nb_read_frames,width,height -of csv=p=0 "$file") || { fail "ffprobe cannot read $file"; return 1; }
    echo "ffprobe: $seen (width,height,frames)"
    [ "$seen" = "$width,$height,$frames" ] || fail "$file: ffprobe reads $seen, expected $width,$height,$frames"
}

# The 48-byte object record: the fixed fields as an object movie of this grid
# states them, and the whole record equal to the reference movie's.
check_navg() {
    local file=$1 reference=$2 columns=$3 rows=$4 found at size bytes expected reference_bytes
    found=$(find_atom "$file" moov udta NAVG) || return 1
    read -r at size <<<"$found"
    [ "$size" -eq 56 ] || { fail "$file: 'NAVG' holds $((size - 8)) bytes, not 48"; return 1; }
    bytes=$(hex_bytes "$file" $((at + 8)) 48)
    echo "NAVG: $bytes"
    # version 1, columns, rows, 0, one frame per view, frame duration 60
    # (600 units a second, ten frames a second), type 1, no loop, field of
    # view 180, pans 0 to 360, tilts -20 and 90.
    expected=$(printf '00 01 %02x %02x %02x %02x 00 00 00 01 00 3c 00 01 00 00 00 b4 00 00 00 00 00 00 01 68 00 00 ff ec 00 00 00 5a 00 00' \
        $((columns >> 8)) $((columns & 255)) $((rows >> 8)) $((rows & 255)))
    [ "${bytes:0:${#expected}}" = "$expected" ] || { fail "$file: 'NAVG' starts $bytes, expected $expected"; return 1; }
    [ "${bytes: -11}" = "00 00 00 00" ] || { fail "$file: 'NAVG' reserved tail is not zero"; return 1; }
    found=$(find_atom "$reference" moov udta NAVG) || return 1
    read -r at size <<<"$found"
    reference_bytes=$(hex_bytes "$reference" $((at + 8)) $((size - 8)))
    [ "$bytes" = "$reference_bytes" ] || fail "'NAVG' differs from the Linux build's: $reference_bytes"
}

check_ctyp() {
    local file=$1 found at size value
    found=$(find_atom "$file" moov udta ctyp) || return 1
    read -r at size <<<"$found"
    value=$(four_chars "$file" $((at + 8)))
    echo "ctyp: $value"
    [ "$size" -eq 12 ] && [ "$value" = stna ] || fail "$file: 'ctyp' is '$value' ($((size - 8)) bytes), expected 'stna'"
}

# Every decoded frame of the movie against the reference movie's. Identical
# is expected; a frame may differ in at most max_differing_per_mille bytes
# per thousand, since sin and cos may round their last bit differently in
# msvcrt and glibc and move a polygon edge by a pixel.
max_differing_per_mille=5
check_frames_match() {
    local file=$1 reference=$2 width=$3 height=$4 frames=$5 work=$6
    local frame_bytes=$((width * height * 3)) ours theirs report
    ours=$work/frames-windows.rgb theirs=$work/frames-linux.rgb
    ffmpeg -v error -i "$file" -f rawvideo -pix_fmt rgb24 - >"$ours" || { fail "ffmpeg cannot decode $file"; return 1; }
    ffmpeg -v error -i "$reference" -f rawvideo -pix_fmt rgb24 - >"$theirs" || { fail "ffmpeg cannot decode $reference"; return 1; }
    [ "$(stat -c %s "$ours")" -eq $((frame_bytes * frames)) ] || { fail "$file decodes to $(stat -c %s "$ours") bytes, not $frames frames of $frame_bytes"; return 1; }
    [ "$(stat -c %s "$theirs")" -eq $((frame_bytes * frames)) ] || { fail "$reference decodes to $(stat -c %s "$theirs") bytes"; return 1; }
    if cmp -s "$ours" "$theirs"; then
        echo "frames: all $frames identical to the Linux build's"
        return 0
    fi
    # cmp -l lists each differing byte: offset (from 1) and both values in octal.
    report=$({ cmp -l "$ours" "$theirs" || true; } | awk -v fb="$frame_bytes" -v limit="$max_differing_per_mille" '
        function octal(s,   v, i) { v = 0; for (i = 1; i <= length(s); i++) v = v * 8 + substr(s, i, 1); return v }
        { f = int(($1 - 1) / fb); if (!(f in n)) frames++; n[f]++
          d = octal($2) - octal($3); if (d < 0) d = -d; if (d > worst) worst = d; total++ }
        END {
            bad = 0
            for (f in n) if (n[f] * 1000 > fb * limit) { bad++; if (bad <= 5) printf "frame %d: %d bytes differ\n", f, n[f] }
            printf "%d bytes differ in %d frames, largest difference %d; %d frames over the limit\n", total, frames, worst, bad
            exit (bad > 0) }') || { fail "frames differ from the Linux build's beyond the tolerance: $report"; return 1; }
    echo "frames: within tolerance of the Linux build's: $report"
}
