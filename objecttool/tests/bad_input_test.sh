#!/usr/bin/env bash
# Every movie of the media layer's fuzz corpus through inspect, sheet and web:
# each either succeeds with a whole output, or fails with one line on stderr,
# exit status 1 and no output file (nor any temporary) left behind. The
# damaged ones must fail in all three.
# Usage: bad_input_test.sh ORBIVANE_OBJECT CORPUS_DIR WORK_DIR
set -u
tool=$1 corpus=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0 checked=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for movie in "$corpus"/*; do
    name=$(basename "$movie")
    for command in inspect sheet web; do
        out="$work/out-$command"
        args=("$command" "$movie")
        [ "$command" != inspect ] && args+=(-o "$out")
        timeout 30 "$tool" "${args[@]}" >"$work/stdout" 2>"$work/stderr"
        status=$?
        checked=$((checked + 1))
        lines=$(wc -l <"$work/stderr")
        leftovers=$(find "$work" -name '.*part*' | wc -l)
        if [ "$status" -eq 0 ]; then
            case $name in damaged_*) fail "$command $name succeeded on a damaged movie";; esac
            [ "$command" = inspect ] || [ -s "$out" ] || fail "$command $name exited 0 without writing its output"
        elif [ "$status" -eq 1 ]; then
            [ "$lines" -eq 1 ] || fail "$command $name printed $lines lines on stderr, not one: $(cat "$work/stderr")"
            [ -e "$out" ] && fail "$command $name failed but left $out"
        else
            fail "$command $name exited with status $status: $(head -c 300 "$work/stderr")"
        fi
        [ "$leftovers" -eq 0 ] || fail "$command $name left a temporary file"
        rm -f "$out"
    done
done
echo "$((checked - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
