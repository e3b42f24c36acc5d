#!/usr/bin/env bash
# CPack's Debian package and archive: the .deb lists the installed tree under
# /usr and depends on the Debian libraries the programs link; unpacked into a
# scratch root with dpkg -x, its commands run from there.
# Usage: deb_test.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
source "$(dirname "$0")/run_installed.sh"
rm -rf "$work" && mkdir -p "$work/elsewhere"
cpack --config "$build/CPackConfig.cmake" -G "DEB;TGZ" -B "$work/packages" >/dev/null
deb=$(ls "$work"/packages/orbivane_*.deb)
tgz=$(ls "$work"/packages/orbivane-*.tar.gz)

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/orbivane-host ./usr/bin/orbivane-object ./usr/lib/orbivane/Orbivane.so \
    ./usr/lib/orbivane/QuickTime.qts ./usr/share/man/man1/orbivane-host.1 ./usr/share/man/man1/orbivane-object.1 \
    ./usr/share/bash-completion/completions/orbivane-object ./usr/share/doc/orbivane/README.md; do
    grep -qx "$f" <<<"$listing" || fail "$f is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libavcodec libjpeg62-turbo libpng16 libstdc++6 libc6; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
grep -q "/bin/orbivane-host$" <<<"$(tar tzf "$tgz")" || fail "the archive has no bin/orbivane-host"

dpkg -x "$deb" "$work/root"
cd "$work/elsewhere"
run_installed_commands "$work/root/usr"
echo "package $(basename "$deb") depends on: $depends"
