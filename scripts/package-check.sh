#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it: the three
# programs, the desktop entry, the icon, the manual pages, the copyright,
# changelog, operator's guide and systemd examples in place; the Qt 6 runtime
# and the SVG icon engine among the dependencies; the dialout note in the
# description; vemsync running and every manual page rendering from a copy
# unpacked with dpkg -x; and lintian with no error and no warning.
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
doc=usr/share/doc/mfcvemsync
pages=(MFCVemSync vemsync vem730-sim)
manuals=()
for page in "${pages[@]}"; do manuals+=("usr/share/man/man1/$page.1.gz"); done
for path in usr/bin/MFCVemSync usr/bin/vemsync usr/bin/vem730-sim \
            usr/share/applications/mfcvemsync.desktop \
            usr/share/icons/hicolor/scalable/apps/mfcvemsync.svg \
            "${manuals[@]}" \
            $doc/copyright $doc/changelog.gz $doc/operator-guide.ru.md \
            $doc/examples/vemsync-backup.service $doc/examples/vemsync-backup.timer; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
programs=$(grep -c '^usr/bin/.' <<<"$contents")
[ "$programs" -eq 3 ] || fail "usr/bin holds $programs files, not the three programs"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libudev1; do
    grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# Read whole before grep: with pipefail, grep -q leaving early would fail
# the pipeline through dpkg-deb's broken pipe.
description=$(dpkg-deb -f "$deb" Description)
grep -q 'dialout group' <<<"$description" || fail "the description has no dialout note"

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
[ "$(head -n 1 <<<"$help")" = "Запуск: vemsync КОМАНДА [АРГУМЕНТЫ] [КЛЮЧИ]" ] ||
    fail "the unpacked vemsync --help printed: $(head -n 1 <<<"$help")"
"$root/usr/bin/vem730-sim" --help >/dev/null || fail "the unpacked vem730-sim --help failed"

# Each manual page renders without a warning from groff, and its name line
# is what whatis will show.
for page in "${pages[@]}"; do
    file="$root/usr/share/man/man1/$page.1.gz"
    rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>"$out/man.err") ||
        fail "man -l $page.1.gz failed: $(cat "$out/man.err")"
    [ ! -s "$out/man.err" ] || fail "man -l $page.1.gz warned: $(cat "$out/man.err")"
    grep -q "^SYNOPSIS" <<<"$rendered" || fail "$page.1.gz rendered without a SYNOPSIS"
    name=$(LC_ALL=C.UTF-8 lexgrog "$file") || fail "lexgrog found no name line in $page.1.gz"
    grep -qF ": \"$page - " <<<"$name" || fail "$page.1.gz has the name line $name"
done

head -n 1 "$root/$doc/copyright" |
    grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
version=$(dpkg-deb -f "$deb" Version)
logged=$(zcat "$root/$doc/changelog.gz" | dpkg-parsechangelog -l- -S Version) ||
    fail "the changelog does not parse"
[ "$logged" = "$version" ] || fail "the changelog's newest entry is $logged, the package $version"
if command -v systemd-analyze >/dev/null; then
    systemd-analyze verify "$root/$doc/examples/vemsync-backup.service" \
        "$root/$doc/examples/vemsync-backup.timer" || fail "systemd-analyze refused the examples"
fi

# Debian's own checks: any error or warning fails.
lintian --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1 || {
    cat "$out/lintian.log" >&2
    fail "lintian found faults"
}

echo "package-check: $(basename "$deb") is complete, lintian clean; Depends: $depends"
