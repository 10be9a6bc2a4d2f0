#!/usr/bin/env bash
# Builds the Windows release: the static, stripped vemsync.exe zipped with
# its README (Russian and English) as build/windows/vemsync-VERSION-win64.zip,
# and the installer of the dialog and vemsync.exe,
# build/windows/MFCVemSync-VERSION-setup.exe. The dialog links the static
# Qt for Windows that scripts/qt-windows.sh builds (the first time, long).
# Needs g++-mingw-w64-x86-64-posix, zip and nsis; wine, when installed, runs
# the packed vemsync.exe once.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build/windows
build=$out/release-package
triple=x86_64-w64-mingw32

VEM_QT_WINDOWS=$(scripts/qt-windows.sh | tail -1)
export VEM_QT_WINDOWS
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# A tree configured with another toolchain (before the dialog was built for
# Windows) keeps it and does not find Qt: such a tree is configured anew.
configure_log=$out/release-package-configure.log
mkdir -p "$out"
cmake --preset windows-package "${launcher[@]}" >"$configure_log" 2>&1 || # into $build
    cmake --preset windows-package --fresh "${launcher[@]}" >"$configure_log" 2>&1 ||
    { tail -20 "$configure_log" >&2; exit 1; }
cmake --build "$build" --target vemsync MFCVemSync -j"$(nproc)" >/dev/null
version=$(grep -m1 -oP '^\s*VERSION \K[0-9.]+' CMakeLists.txt)

stage=$out/stage/vemsync-$version-win64
rm -rf "$out/stage"
mkdir -p "$stage"
cp "$build/cli/vemsync.exe" "$build/dialog/MFCVemSync.exe" "$stage/"
cp res/windows/README.txt "$stage/README.txt"

# Only the system's own libraries may be imported: no runtime DLL travels.
system_dlls=(advapi32 authz comdlg32 d3d9 d3d11 dwmapi dxgi gdi32 imm32 kernel32 msvcrt netapi32
    ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme version winmm ws2_32 wtsapi32)
imports=
for exe in vemsync.exe MFCVemSync.exe; do
    "$triple-strip" "$stage/$exe"
    dlls=$("$triple-objdump" -p "$stage/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    for dll in $dlls; do
        case $dll in
        api-ms-win-*) ;; # the system's API sets
        *) [[ " ${system_dlls[*]} " == *" ${dll%.dll} "* ]] ||
            { echo "windows-release: $exe needs $dll" >&2; exit 1; } ;;
        esac
    done
    imports="$imports $exe: $(echo $dlls)."
done

# The zip: vemsync.exe alone, which needs no installing.
zipped=$out/stage/zip/vemsync-$version-win64
mkdir -p "$zipped"
cp "$stage/vemsync.exe" "$stage/README.txt" "$zipped/"
zip=$out/vemsync-$version-win64.zip
rm -f "$zip"
(cd "$out/stage/zip" && zip -q -r -X "$zip" "vemsync-$version-win64")

# The installer, with the icon the dialog's build drew.
setup=$out/MFCVemSync-$version-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$build/dialog/mfcvemsync.ico" \
    -DOUTFILE="$setup" res/windows/mfcvemsync.nsi >"$out/stage/makensis.log" ||
    { cat "$out/stage/makensis.log" >&2; exit 1; }

if command -v wine >/dev/null; then
    check=$out/stage/check
    mkdir -p "$check"
    (cd "$check" && unzip -q "$zip")
    # Into a file, not a pipe: services that wine starts on the way keep
    # their copy of the output open.
    WINEPREFIX=$out/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        wine "$check/vemsync-$version-win64/vemsync.exe" --help >"$check/help.txt" 2>/dev/null </dev/null || true
    grep -q '^Запуск: vemsync' "$check/help.txt" ||
        { echo "windows-release: the packed vemsync.exe did not run" >&2; exit 1; }
fi
echo "$zip ($(stat -c %s "$zip") bytes)"
echo "$setup ($(stat -c %s "$setup") bytes)"
echo "imports:$imports"
