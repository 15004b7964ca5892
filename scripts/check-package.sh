#!/usr/bin/env bash
# Builds the Debian package from a build folder, checks it with lintian and looks inside it.
# Usage: scripts/check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "${1:-build}")
cd "$build"
rm -f vq880-config_*.deb
cpack -G DEB >/dev/null
deb=$(ls vq880-config_*.deb)
echo "package: $deb ($(du -k "$deb" | cut -f1) KiB)"

# lintian: no errors (warnings are shown).
lintian --no-tag-display-limit "$deb" | tee lintian.txt
if grep -q '^E:' lintian.txt; then echo "lintian reports errors"; exit 1; fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
dpkg-deb -e "$deb" "$scratch/DEBIAN"

fail=0
expect() {  # path mode
    local actual
    actual=$(stat -c %a "$scratch/$1" 2>/dev/null || echo missing)
    if [ "$actual" != "$2" ]; then echo "  $1: mode $actual, expected $2"; fail=1; fi
}
expect usr/bin/vq880-config 755
expect usr/bin/vq880-sim 755
expect usr/bin/vq880 755
expect usr/share/man/man1/vq880.1.gz 644
expect usr/share/man/man1/vq880-config.1.gz 644
expect usr/share/man/man1/vq880-sim.1.gz 644
expect usr/share/bash-completion/completions/vq880 644
expect usr/share/applications/vq880-config.desktop 644
expect usr/share/icons/hicolor/scalable/apps/vq880-config.svg 644
expect usr/share/metainfo/com.example.vq880_config.metainfo.xml 644
expect usr/share/doc/vq880-config/copyright 644
expect usr/share/doc/vq880-config/changelog.gz 644
expect DEBIAN/postinst 755
expect DEBIAN/postrm 755
file "$scratch/usr/bin/vq880-config" | grep -q ', stripped' || { echo "  not stripped"; fail=1; }
grep -q '^Depends:.*libqt6widgets6' "$scratch/DEBIAN/control" || { echo "  no Qt dependency"; fail=1; }
grep -q '^Depends:.*fonts-wqy-microhei' "$scratch/DEBIAN/control" || { echo "  no font"; fail=1; }
grep -q 'chmod 2775' "$scratch/DEBIAN/postinst" || { echo "  postinst makes no folder"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$scratch/usr/share/applications/vq880-config.desktop"
fi
# What software centres read: errors and warnings fail, notes for information pass.
appstreamcli validate --no-net "$scratch/usr/share/metainfo/com.example.vq880_config.metainfo.xml" ||
    fail=1
[ $fail -eq 0 ] && echo "package contents and modes: ok"
exit $fail
