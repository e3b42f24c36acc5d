#!/usr/bin/env bash
# Writes the object tool's benchmark inputs (README, Benchmarks) into OUT:
#   OUT/cinepak-36x10.mov  a QuickTime VR 2.x object of 36 x 10 views, 640 x 480 Cinepak
#   OUT/archive/           50 small archive object movies (18 x 5 views, 160 x 120) in
#                          Cinepak, Graphics, Sorenson 1, Animation and Photo-JPEG
# Each codec encodes one row of test-pattern frames once; the rows repeat it.
# Usage: objecttool/bench/make_bench_movies.sh OUT
set -euo pipefail
out=${1:?Usage: make_bench_movies.sh OUT}
wrap=$(dirname "$0")/../tests/qtvr_movie.py
mkdir -p "$out/archive"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A row of `columns` frames in `codec`, looped to `rows` rows without re-encoding.
frames() {  # codec size columns rows file [encoder options]
    local codec=$1 size=$2 columns=$3 rows=$4 file=$5
    shift 5
    ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=$size:rate=10" -frames:v "$columns" -c:v "$codec" -g 1 "$@" \
        -f mov "$scratch/row.mov"
    ffmpeg -loglevel error -y -stream_loop $((rows - 1)) -i "$scratch/row.mov" -c copy -f mov "$file"
}

frames cinepak 640x480 36 10 "$scratch/cinepak.mov"
python3 "$wrap" "$out/cinepak-36x10.mov" --frames-from "$scratch/cinepak.mov" --columns 36 --rows 10 \
    --width 640 --height 480 --min-tilt 45 --max-tilt -45 --wrap-pan

n=0
for codec in cinepak smc svq1 qtrle mjpeg; do
    options=()
    [ "$codec" = smc ] && options=(-pix_fmt pal8)
    frames "$codec" 160x120 18 5 "$scratch/$codec.mov" "${options[@]}"
    for copy in $(seq 1 10); do
        n=$((n + 1))
        extra=()
        [ $((copy % 3)) = 0 ] && extra=(--compress)
        [ $((copy % 5)) = 0 ] && extra=(--version 1)
        python3 "$wrap" "$out/archive/$(printf '%02d' $n)-$codec.mov" --frames-from "$scratch/$codec.mov" \
            --columns 18 --rows 5 --width 160 --height 120 "${extra[@]}"
    done
done
echo "wrote $out/cinepak-36x10.mov and $n movies in $out/archive"
