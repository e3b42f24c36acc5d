#!/usr/bin/env bash
# Makes a command's manual page from its --help with Debian's help2man, so the
# page lists the flags the program has at build time. A command with
# sub-commands gets each one's --help as a section of its own.
# Usage: make_man_page.sh PROGRAM DESCRIPTION VERSION OUT.1
set -euo pipefail
program=$1 description=$2 version=$3 out=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# roff for text shown as it is: backslashes escaped, a line never starting a request.
verbatim() { sed -e 's/\\/\\e/g' -e 's/^/\\\&/'; }

commands=$("$program" --help | awk '/^Commands:/ {on = 1; next} on && /^  [a-z]/ {print $1} on && /^$/ {on = 0}')
{
    if [ -n "$commands" ]; then
        echo "[COMMANDS]"
        for c in $commands; do
            echo ".SS $c"
            echo ".nf"
            "$program" "$c" --help | verbatim
            echo ".fi"
        done
    fi
    echo "[SEE ALSO]"
    echo "The README in /usr/share/doc/orbivane (or PREFIX/share/doc/orbivane) describes"
    echo "the file format, the views and the tools in full."
} > "$work/extra.h2m"

help2man --no-info --no-discard-stderr --version-string="$version" --name="$description" \
    --include="$work/extra.h2m" --output="$work/page.1" "$program"
mv "$work/page.1" "$out"
