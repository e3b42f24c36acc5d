#!/usr/bin/env bash
# cmake --install into a scratch prefix: the layout, no test controls in the
# installed QuickTime.qts, the commands run from another folder with no
# environment variable, then again after the prefix is moved; the installed
# completion answers.
# Usage: install_test.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
source "$(dirname "$0")/run_installed.sh"
rm -rf "$work" && mkdir -p "$work/elsewhere"
cmake --install "$build" --prefix "$work/first" >/dev/null

cd "$work/first"
expected="bin/orbivane-host
bin/orbivane-object
lib/orbivane/Orbivane.so
lib/orbivane/QuickTime.qts
share/bash-completion/completions/orbivane-host
share/bash-completion/completions/orbivane-object
share/doc/orbivane/README.md
share/doc/orbivane/docs/demo-side-row.png
share/doc/orbivane/docs/web-viewer.png
share/man/man1/orbivane-host.1
share/man/man1/orbivane-object.1"
listed=$(find . -type f | sed 's|^\./||' | sort)
[ "$listed" = "$expected" ] || fail "installed files differ: $(diff <(echo "$expected") <(echo "$listed") || true)"
# The library the test builds use exports its test controls; the installed one only QuickTime's entries.
exports=$(nm -D --defined-only lib/orbivane/QuickTime.qts | awk '$2 == "T" {print $3}' | sort | xargs)
[ "$exports" = "_CallComponent _CallComponentFunctionWithStorage theQuickTimeDispatcher" ] ||
    fail "the installed QuickTime.qts exports: $exports"

cd "$work/elsewhere"
run_installed_commands "$work/first"
mv "$work/first" "$work/moved"
run_installed_commands "$work/moved"

# Completion, as bash runs it: sub-commands, a sub-command's flags, a flag's values.
complete_line() {  # complete_line WORDS... (the last is the word being completed)
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _orbivane_object; echo "${COMPREPLY[*]}"' \
        _ "$work/moved/share/bash-completion/completions/orbivane-object" "$@"
}
[ "$(complete_line orbivane-object se)" = select ] || fail "completion of 'se': $(complete_line orbivane-object se)"
[ "$(complete_line orbivane-object select cap.mov --r)" = --rows ] || fail "completion of select's --r"
[ "$(complete_line orbivane-object web cap.mov --stereo '')" = "parallel cross" ] || fail "completion of --stereo"
host_flags=$(bash -c 'source "$1"; COMP_WORDS=(orbivane-host --co); COMP_CWORD=1; _orbivane_host; echo "${COMPREPLY[*]}"' \
    _ "$work/moved/share/bash-completion/completions/orbivane-host")
[ "$host_flags" = "--columns --codec" ] || fail "completion of the host's --co: $host_flags"
echo "installed tree works from $work/elsewhere, before and after the move"
