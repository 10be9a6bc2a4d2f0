#!/usr/bin/env bash
# Builds the static Qt for Windows that the dialog's Windows build links:
# Debian's own qt6-base source, cross-compiled with Debian's mingw-w64 g++
# (posix threads) against this machine's Qt tools, Core, Gui, Widgets and
# Test only, with the windows and offscreen platforms. The result is cached
# per user, keyed by Qt version and build options, and reused when present;
# the first build takes about 30 minutes on two free cores.
#
# The last line printed on standard output is the installed Qt's folder:
#   qt=$(scripts/qt-windows.sh | tail -1)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$SECONDS

die() { echo "qt-windows: $*" >&2; exit 1; }
say() { echo "qt-windows: $*" >&2; }

triple=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64.cmake
patches=("$root"/cmake/qt-windows/*.patch)

for tool in "$triple-g++-posix" cmake ninja dpkg-source apt-get; do
    command -v "$tool" >/dev/null || die "$tool is missing: run scripts/setup.sh"
done
# The target Qt must be the very version of the host tools (moc, rcc, uic)
# that build it and the programs linked against it.
debver=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) ||
    die "qt6-base-dev-tools is missing: run scripts/setup.sh"
version=${debver%%[+~-]*}

# Only what the dialog and its tests use is built; everything else is off so
# that nothing from the build machine (pkg-config, system libraries) leaks in.
# Direct2D is off: the windows platform paints with the raster engine, and
# the direct2d platform plugin is not built. Debian's source lacks the wintab
# headers (tablet events off), and its cross-build patch turns
# androiddeployqt on.
options=(
    -release -static -static-runtime
    -xplatform win32-g++ -device-option CROSS_COMPILE="$triple-"
    -qt-host-path /usr
    -nomake examples -nomake tests
    -no-pkg-config -no-dbus -no-icu -no-opengl -no-direct2d -no-gif -no-libjpeg
    -qt-zlib -qt-pcre -qt-libpng -qt-freetype -qt-harfbuzz -qt-doubleconversion
    -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent
    -no-feature-printsupport -no-feature-vulkan -no-feature-zstd
    -no-feature-tabletevent -no-feature-androiddeployqt
)
cmake_options=(
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
)

hash=$({
    echo "$debver"
    printf '%s\n' "${options[@]}" "${cmake_options[@]}"
    cat "${patches[@]}" "$toolchain"
} | sha256sum | cut -c1-12)

cache=${XDG_CACHE_HOME:-$HOME/.cache}/mfcvemsync
name=qt-$version-$hash
prefix=$cache/$name
# Written into the tree before it is moved into place, so its presence
# means a complete install.
marker=.mfcvemsync-complete

if [ -f "$prefix/$marker" ]; then
    say "reusing $prefix"
    echo "$prefix"
    exit 0
fi
if [ -e "$prefix" ] || [ -L "$prefix" ]; then
    die "$prefix exists but is not a complete build of ours; remove it by hand to rebuild"
fi

mkdir -p "$cache"
[ -d "$cache" ] && [ ! -L "$cache" ] && [ -O "$cache" ] ||
    die "$cache is not a folder of this user's"
work=$(mktemp -d "$cache/$name.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM HUP
log=$work/build.log

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

# apt-get source needs a deb-src entry; Debian's default sources have none.
sources=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources)
if ! grep -Eqs '^[[:space:]]*deb-src[[:space:]]|^Types:.*deb-src' "${sources[@]}"; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    list=/etc/apt/sources.list.d/mfcvemsync-deb-src.sources
    [ -e "$list" ] || [ -L "$list" ] && die "$list exists but enables no source packages"
    say "enabling Debian's source packages in $list"
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" \
        "Suites: $codename $codename-updates" "Components: main" \
        "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$work/deb-src.sources"
    "${sudo[@]}" install -m 644 "$work/deb-src.sources" "$list"
fi
say "fetching Debian's qt6-base $debver source"
"${sudo[@]}" apt-get update -qq >>"$log" 2>&1 || { tail -n 20 "$log" >&2; die "apt-get update failed"; }
(cd "$work" && apt-get source -q "qt6-base=$debver") >>"$log" 2>&1 ||
    { tail -n 20 "$log" >&2; die "apt-get source qt6-base=$debver failed"; }
src=$(echo "$work"/qt6-base-*/)
for p in "${patches[@]}"; do
    patch -d "$src" -p1 --quiet <"$p" >>"$log" 2>&1 || die "$p does not apply to qt6-base $debver"
done

ccache=()
# Qt's precompiled headers leave ccache little to reuse; it is used when
# present but the installed Qt itself is what is cached.
if command -v ccache >/dev/null; then
    ccache=(-ccache)
fi

fail() {
    local kept=$cache/$name.failed.log
    mv -fT "$log" "$kept" 2>/dev/null || kept=
    tail -n 30 "${kept:-/dev/null}" >&2
    die "$1 failed after $(((SECONDS - started) / 60)) min${kept:+; log: $kept}"
}

build=$work/build
mkdir "$build"
say "configuring Qt $version for Windows (log: $log)"
(cd "$build" && nice -n 10 "$src/configure" -prefix "$prefix" "${options[@]}" "${ccache[@]}" \
    -- "${cmake_options[@]}") >>"$log" 2>&1 || fail "configure"
say "building (about 880 compiles; 30 minutes or more on two cores)"
nice -n 10 cmake --build "$build" --parallel 2 >>"$log" 2>&1 || fail "build"

# Installed beside the final place and moved there in one rename, so the
# cache never holds a half-installed Qt under the final name.
stage=$work/stage
DESTDIR=$stage cmake --install "$build" >>"$log" 2>&1 || fail "install"
{
    echo "qt6-base $debver for Windows, built $(date -u +%FT%TZ) in $(((SECONDS - started) / 60)) min"
    printf '%s\n' "${options[@]}" "${cmake_options[@]}"
} >"$stage$prefix/$marker"
mv "$log" "$stage$prefix/build.log"
if ! mv -T "$stage$prefix" "$prefix" 2>/dev/null; then
    # Another run finished the same build first.
    [ -f "$prefix/$marker" ] || die "could not move the built Qt to $prefix"
fi

say "Qt $version for Windows in $prefix ($(du -sh "$prefix" | cut -f1)), built in $(((SECONDS - started) / 60)) min"
echo "$prefix"
