#!/usr/bin/env bash
# Each manual page renders with man -l without a warning, and names what the
# command's --help names: its flags, and for orbivane-object each sub-command.
# Usage: man_pages_test.sh PACKAGING_BUILD_DIR
set -euo pipefail
dir=$1
for page in orbivane-host orbivane-object; do
    warnings=$(MANWIDTH=80 man --warnings -l "$dir/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "FAIL: $page.1: $warnings" >&2; exit 1; }
    text=$(MANWIDTH=80 man -l "$dir/$page.1" 2>/dev/null)
    for heading in NAME SYNOPSIS DESCRIPTION; do
        grep -q "^$heading" <<<"$text" || { echo "FAIL: $page.1 has no $heading" >&2; exit 1; }
    done
done
text=$(MANWIDTH=80 man -l "$dir/orbivane-host.1" 2>/dev/null)
for flag in --columns --light-follows --out --model --antialias --plugin; do
    grep -q -- "$flag" <<<"$text" || { echo "FAIL: orbivane-host.1 does not name $flag" >&2; exit 1; }
done
text=$(MANWIDTH=80 man -l "$dir/orbivane-object.1" 2>/dev/null)
for words in "orbivane-object inspect MOVIE" "orbivane-object sheet MOVIE" "orbivane-object web MOVIE" \
    "orbivane-object select MOVIE" "--columns LIST"; do
    grep -q -- "$words" <<<"$text" || { echo "FAIL: orbivane-object.1 does not show \"$words\"" >&2; exit 1; }
done
echo "both manual pages render without warnings"
