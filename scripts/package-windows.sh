#!/usr/bin/env bash
# The Windows package: the program and its command line (vq880.exe) with the Qt and compiler
# libraries they need, stripped, as a zip and as an installer (NSIS) that adds a Start menu entry.
# Prints the paths of the two files at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/windows-build.sh

scripts/deps.sh --packages nsis zip

windows_build vq880-config vq880
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_win/CMakeCache.txt")
name=VQ880ReaderConfig-$version-win64
out=$build_win/package
stage=$out/$name
rm -rf "$out"
mkdir -p "$stage/platforms" "$stage/styles"

cp "$build_win/ui/vq880-config.exe" "$stage/"
# The command line beside the window; a console program that needs Qt Core alone.
cp "$build_win/cli/vq880.exe" "$stage/"
for lib in Qt6Core Qt6Gui Qt6Widgets; do cp "$qt_prefix/bin/$lib.dll" "$stage/"; done
cp "${runtime_dlls[@]}" "$stage/"
# Qt finds its plug-ins in these folders beside the program.
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded

(cd "$out" && zip -qr9 "$name.zip" "$name")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$out/$name-setup.exe" \
    packaging/windows/vq880-config.nsi

echo "program folder: $(du -sk "$stage" | cut -f1) KiB"
echo "zip: $(du -k "$out/$name.zip" | cut -f1) KiB"
echo "installer: $(du -k "$out/$name-setup.exe" | cut -f1) KiB"
echo "$out/$name.zip"
echo "$out/$name-setup.exe"
