# Shared by the packaging tests: runs the installed commands of the tree at $1
# from the current folder, with a bare environment, as a user would.
# Usage: run_installed_commands TREE   (fails the test on the first fault)
bare() { env -i HOME="$PWD" PATH=/usr/bin:/bin TMPDIR="$PWD" "$@"; }

fail() { echo "FAIL: $*" >&2; exit 1; }

run_installed_commands() {
    local tree=$1
    rm -f cap.mov ring.mov cap.png cap.html trace.txt
    bare "$tree/bin/orbivane-host" --columns 6 --rows 3 --size 32x24 --antialias 1 --out cap.mov --trace \
        2> trace.txt >/dev/null || { cat trace.txt >&2; fail "the installed host could not capture"; }
    grep -q "^plug-in: $tree/bin/../lib/orbivane/Orbivane.so " trace.txt ||
        fail "the host did not load the plug-in from $tree/lib/orbivane: $(grep '^plug-in' trace.txt)"
    grep -q "grid            6 columns x 3 rows" <<<"$(bare "$tree/bin/orbivane-object" inspect cap.mov)" ||
        fail "inspect does not show the 6 x 3 grid"
    bare "$tree/bin/orbivane-object" sheet cap.mov -o cap.png || fail "sheet failed"
    [ "$(head -c 8 cap.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the sheet is not a PNG"
    bare "$tree/bin/orbivane-object" web cap.mov -o cap.html || fail "web failed"
    grep -q "<html" cap.html || fail "the page is not HTML"
    bare "$tree/bin/orbivane-object" select cap.mov --rows 2 -o ring.mov || fail "select failed"
    grep -q "grid            6 columns x 1 rows" <<<"$(bare "$tree/bin/orbivane-object" inspect ring.mov)" ||
        fail "select did not write the middle row"
}
