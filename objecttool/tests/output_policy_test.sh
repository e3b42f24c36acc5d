#!/usr/bin/env bash
# orbivane-object under the one output policy, as a careless user would run it:
# its own input, links, a FIFO, a device, a read-only or private file, a full
# device or disk. Each refusal is one line, exit 2, before any work, and leaves
# every file as it was; a failed write is exit 1 with the older file intact.
# Usage: output_policy_test.sh ORBIVANE_OBJECT ORBIVANE_HOST WORK_DIR
set -u
tool=$1 host=$2 work=$3
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS TEXT COMMAND...: the exit status, and TEXT in the one line on stderr.
expect() {
    local status=$1 text=$2; shift 2
    timeout 30 "$@" >out.txt 2>err.txt
    local got=$?
    [ "$got" -eq "$status" ] || fail "$* exited $got, not $status: $(head -c 300 err.txt)"
    if [ "$status" -ne 0 ]; then
        [ "$(wc -l <err.txt)" -eq 1 ] || fail "$* printed $(wc -l <err.txt) lines on stderr"
        grep -qF -- "$text" err.txt || fail "$* said \"$(cat err.txt)\", not \"$text\""
    fi
}

"$host" --columns 2 --rows 1 --size 16x16 --out movie.mov >/dev/null || { echo "cannot make a movie"; exit 1; }
cp movie.mov original.mov
ln movie.mov hard.mov
mkdir folder pages
echo "an older page" >pages/target.html
ln -s pages/target.html link.html
ln -s nowhere.html dangling.html
mkfifo fifo
device=""
mknod device c 1 3 2>/dev/null && device=device

# Its own input, under any name; another spelling of one output.
for out in movie.mov folder/../movie.mov hard.mov; do
    expect 2 "is the movie" "$tool" web movie.mov -o "$out"
    cmp -s movie.mov original.mov || { fail "the input movie was changed through $out"; cp original.mov movie.mov; }
done

# Not regular files: refused and left as they were.
expect 2 "not a regular file" "$tool" web movie.mov -o fifo
[ -p fifo ] || fail "the FIFO was replaced"
if [ -n "$device" ]; then
    expect 2 "not a regular file" "$tool" web movie.mov -o device
    [ -c device ] || fail "the device was replaced by a file"
fi
expect 2 "is a folder" "$tool" web movie.mov -o folder
expect 2 "does not exist" "$tool" web movie.mov -o dangling.html
[ -e nowhere.html ] && fail "a dangling link made its target"

# A link: the file it names is replaced, in its own folder, and the link stays.
expect 0 "" "$tool" web movie.mov -o link.html
[ -L link.html ] || fail "the link was replaced by a file"
grep -q "<html" pages/target.html || fail "the page did not go where the link points"

# select's new movie follows the same rules: never its own input, written through a link, mode kept.
expect 2 "is the movie" "$tool" select movie.mov -o hard.mov --columns 1
cmp -s movie.mov original.mov || { fail "select changed its input movie"; cp original.mov movie.mov; }
echo "an older movie" >pages/ring.mov && chmod 600 pages/ring.mov && ln -s pages/ring.mov ring-link.mov
expect 0 "" "$tool" select movie.mov -o ring-link.mov --columns 1
[ -L ring-link.mov ] || fail "select replaced the link by a file"
[ "$(stat -c %a pages/ring.mov)" = 600 ] || fail "select's private movie came back $(stat -c %a pages/ring.mov)"
"$tool" inspect ring-link.mov | grep -q "grid *1 columns x 1 rows" || fail "select's movie through the link is not 1 x 1"
[ -z "$(find pages -name '.*')" ] || fail "select left a temporary in pages/"

# Permissions are kept; a read-only file is refused for its (non-root) owner.
echo "private" >private.html && chmod 600 private.html
expect 0 "" "$tool" web movie.mov -o private.html
[ "$(stat -c %a private.html)" = 600 ] || fail "a private page came back $(stat -c %a private.html)"
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    mkdir -m 777 shared && echo "an older sheet" >shared/locked.png && chmod 444 shared/locked.png
    chown 65534:65534 shared/locked.png
    expect 2 "read-only" setpriv --reuid=65534 --regid=65534 --clear-groups "$tool" sheet movie.mov -o shared/locked.png
    grep -qx "an older sheet" shared/locked.png || fail "a read-only sheet was replaced for its owner"
fi

# Inputs that are not files; the command line: a flag given twice, an option of another
# command, an unknown command, a command's own help.
expect 2 "is a folder" "$tool" inspect folder
expect 2 "not a regular file" "$tool" inspect fifo
expect 2 "more than once" "$tool" web movie.mov -o a.html -o b.html
expect 2 "-o is an option of sheet, not of inspect" "$tool" inspect movie.mov -o a.html
expect 2 'Unknown command "frob"' "$tool" frob movie.mov
expect 0 "" "$tool" web --help
grep -q "^Usage: orbivane-object web MOVIE -o PAGE.html" out.txt || fail "web --help: $(head -1 out.txt)"

# Files that are no movie, or a movie missing its last bytes, are named for what they are.
echo "some text" >text.txt && : >empty.mov && printf '\x89PNG\r\n\x1a\n' >image.png
head -c "$(($(stat -c %s movie.mov) - 40))" movie.mov >short.mov
for file in text.txt empty.mov image.png; do expect 1 "$file is" "$tool" inspect "$file"; grep -q "not a QuickTime movie" err.txt || fail "$file: $(cat err.txt)"; done
expect 1 "short.mov is truncated" "$tool" web short.mov -o short.html

# Full disk: standard output and a file; nothing partial stays.
expect 1 "no space left on device" sh -c '"$0" inspect --json movie.mov >/dev/full' "$tool"
echo "the older sheet" >sheet.png
expect 1 "file too large" sh -c 'trap "" XFSZ; ulimit -f 1; exec "$0" sheet movie.mov -o sheet.png' "$tool"
grep -qx "the older sheet" sheet.png || fail "a failed write harmed the older sheet"
[ -z "$(find . -name '.*part*')" ] || fail "a temporary file was left: $(find . -name '.*part*')"

echo "$failures failed"
[ "$failures" -eq 0 ]
