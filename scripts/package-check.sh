#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it: the three
# programs, the desktop entry and the icon in place, the Qt 6 runtime and the
# SVG icon engine among the dependencies, the dialout note in the
# description, and vemsync running from a copy unpacked with dpkg -x.
#
#   scripts/package-check.sh [BUILD_FOLDER]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/release}" && pwd)

fail() {
    echo "package-check: $*" >&2
    exit 1
}

out="$build/package"
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || {
    cat "$out/cpack.log" >&2
    fail "cpack failed"
}
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $out"
deb=${debs[0]}

# Paths in the package, one a line, without the leading "./".
contents=$(dpkg-deb -c "$deb" | awk '{ sub(/^\.\//, "", $6); print $6 }')
for path in usr/bin/MFCVemSync usr/bin/vemsync usr/bin/vem730-sim \
            usr/share/applications/mfcvemsync.desktop \
            usr/share/icons/hicolor/scalable/apps/mfcvemsync.svg; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
programs=$(grep -c '^usr/bin/.' <<<"$contents")
[ "$programs" -eq 3 ] || fail "usr/bin holds $programs files, not the three programs"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libudev1; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
dpkg-deb -f "$deb" Description | grep -q 'dialout group' || fail "the description has no dialout note"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

entry="$root/usr/share/applications/mfcvemsync.desktop"
for line in '[Desktop Entry]' 'Type=Application' 'Name=MFCVemSync' 'Exec=MFCVemSync' \
            'Icon=mfcvemsync' 'Categories=Utility;'; do
    grep -qxF "$line" "$entry" || fail "the desktop entry lacks \"$line\""
done
grep -q '^Comment=.*Вем-730' "$entry" || fail "the desktop entry has no Russian comment"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
fi
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/mfcvemsync.svg" || fail "the icon is not SVG"

help=$("$root/usr/bin/vemsync" --help) || fail "the unpacked vemsync --help failed"
[ "$(head -n 1 <<<"$help")" = "usage: vemsync COMMAND [ARGS] [OPTIONS]" ] ||
    fail "the unpacked vemsync --help printed: $(head -n 1 <<<"$help")"
"$root/usr/bin/vem730-sim" --help >/dev/null || fail "the unpacked vem730-sim --help failed"

echo "package-check: $(basename "$deb") is complete; Depends: $depends"
