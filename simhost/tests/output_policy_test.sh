#!/usr/bin/env bash
# orbivane-host under the one output policy, as a careless user would run it:
# the page or sheet over the movie or each other, links, a FIFO, a device, a
# private page, the report line to a full device, flags that do nothing, a
# Ctrl-C after the last frame. Refusals are one line and exit 2, before any
# rendering, with every file left as it was.
# Usage: output_policy_test.sh ORBIVANE_HOST PLUGIN WORK_DIR
set -u
host=$1 plugin=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
grid=(--plugin "$plugin" --columns 2 --rows 1 --size 16x16)

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS TEXT ARGS...: the host's exit status, and TEXT on stderr (one line for a refusal).
expect() {
    local status=$1 text=$2; shift 2
    timeout 60 "$host" "${grid[@]}" "$@" >out.txt 2>err.txt
    local got=$?
    [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(head -c 300 err.txt)"
    [ "$status" -eq 2 ] && [ "$(wc -l <err.txt)" -ne 1 ] && fail "$* printed $(wc -l <err.txt) lines on stderr"
    [ -z "$text" ] || grep -qF -- "$text" err.txt || fail "$* said \"$(cat err.txt)\", not \"$text\""
}

echo "an older movie" >a.mov
mkdir movies && echo "an older movie" >movies/target.mov
ln -s movies/target.mov link.mov
ln -s nowhere.mov dangling.mov
mkfifo fifo
device=""
mknod device c 1 3 2>/dev/null && device=device

# The page or sheet over the movie, or over each other, under any spelling.
expect 2 "is the movie" --out a.mov --web ./a.mov
expect 2 "is the movie" --out a.mov --sheet a.mov
expect 2 "is the page" --out b.mov --web x.html --sheet ./x.html
grep -qx "an older movie" a.mov || fail "the older movie was harmed"
[ -e b.mov ] && fail "a refused run wrote its movie"

# Not regular files, dangling links: refused, left as they were.
expect 2 "not a regular file" --out b.mov --web fifo
[ -p fifo ] || fail "the FIFO was replaced"
if [ -n "$device" ]; then
    expect 2 "not a regular file" --out b.mov --sheet device
    [ -c device ] || fail "the device was replaced by a file"
fi
expect 2 "does not exist" --out dangling.mov

# A link: the movie replaces the file it names, in that folder; the link stays.
expect 0 "" --out link.mov
[ -L link.mov ] || fail "the link was replaced by a file"
[ "$(stat -c %s movies/target.mov)" -gt 100 ] || fail "the link's file was not replaced"
[ -z "$(ls -A movies | grep -v '^target.mov$')" ] || fail "working files were left: $(ls -A movies)"

# Private pages and sheets stay private.
echo old >private.html && echo old >private.png && chmod 600 private.html private.png
expect 0 "" --out c.mov --web private.html --sheet private.png
[ "$(stat -c %a private.html)$(stat -c %a private.png)" = 600600 ] || fail "private files came back world-readable"

# The report line to a full device; a flag twice; flags that do nothing.
timeout 60 "$host" "${grid[@]}" --out d.mov >/dev/full 2>err.txt
[ $? -eq 1 ] && grep -qF "no space left on device" err.txt || fail "a report to /dev/full: $(cat err.txt)"
expect 2 "more than once" --out e.mov --columns 3
expect 0 "warning: --parallax does nothing without --stereo" --out e.mov --parallax 6

# A Ctrl-C after the last frame is reported: the movie is complete.
expect 130 "Stopped after the last frame" --out f.mov --interrupt-at-end
[ -s f.mov ] || fail "the complete movie was not kept"

# Full folders are named as such: the temporary one while recording, the output's while
# the movie is written (small file systems of their own, where this user may mount them).
mkdir small-temp small-out
trap 'umount "$work/small-temp" "$work/small-out" 2>/dev/null' EXIT
if mount -t tmpfs -o size=100k tmpfs small-temp 2>/dev/null; then
    grid=(--plugin "$plugin")
    mount -t tmpfs -o size=100k tmpfs small-out
    TMPDIR=$PWD/small-temp expect 1 "the temporary folder is full" --columns 16 --rows 2 --size 64x64 --codec raw --out g.mov
    expect 1 "small-out for the movie is full" --columns 8 --rows 2 --size 64x64 --codec raw --out small-out/g.mov
    umount small-temp small-out
else
    echo "full folders not tried: this user cannot mount a small file system"
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
