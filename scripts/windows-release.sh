#!/usr/bin/env bash
# Builds the Windows release of vemsync: one static vemsync.exe, stripped,
# zipped with its README (Russian and English) as
# build/windows/vemsync-VERSION-win64.zip. Needs g++-mingw-w64-x86-64-posix
# and zip; wine, when installed, runs the packed program once.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/windows
build=$out/release-package
triple=x86_64-w64-mingw32

cmake --preset windows-package >/dev/null # into $build
cmake --build "$build" --target vemsync -j"$(nproc)" >/dev/null
version=$(grep -m1 -oP '^\s*VERSION \K[0-9.]+' CMakeLists.txt)

stage=$out/stage/vemsync-$version-win64
rm -rf "$out/stage"
mkdir -p "$stage"
cp "$build/cli/vemsync.exe" "$stage/"
"$triple-strip" "$stage/vemsync.exe"
cp res/windows/README.txt "$stage/README.txt"

# Only the system's own libraries may be imported: no runtime DLL travels.
imports=$("$triple-objdump" -p "$stage/vemsync.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
    case $dll in
    kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll | api-ms-win-*) ;;
    *) echo "windows-release: vemsync.exe needs $dll" >&2; exit 1 ;;
    esac
done

zip=$out/vemsync-$version-win64.zip
rm -f "$zip"
(cd "$out/stage" && zip -q -r -X "$zip" "vemsync-$version-win64")

if command -v wine >/dev/null; then
    check=$out/stage/check
    mkdir -p "$check"
    (cd "$check" && unzip -q "$zip")
    # Into a file, not a pipe: services that wine starts on the way keep
    # their copy of the output open.
    WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        wine "$check/vemsync-$version-win64/vemsync.exe" --help >"$check/help.txt" 2>/dev/null </dev/null || true
    grep -q '^usage: vemsync' "$check/help.txt" ||
        { echo "windows-release: the packed vemsync.exe did not run" >&2; exit 1; }
fi
echo "$zip ($(stat -c %s "$zip") bytes; imports: $(echo $imports))"
