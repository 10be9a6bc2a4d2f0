#!/usr/bin/env bash
# Builds the static Qt for Windows that the dialog's Windows build links:
# Debian's own qt6-base source, cross-compiled with Debian's mingw-w64 g++
# (posix threads) against this machine's Qt tools, Core, Gui, Widgets and
# Test only, with the windows and offscreen platforms. The result is cached
# per user, keyed by Qt version and build options, and reused when present;
# the first build takes about 30 minutes on two free cores, and an
# interrupted one resumes where it stopped.
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

for tool in "$triple-g++-posix" cmake ninja dpkg-source apt-get patch flock; do
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
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
)

# The key is what goes into the build (the toolchain by its content), not
# where the checkout is: every checkout of the project shares one Qt.
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

# The work folder (source, build tree, log) outlives an interrupted or
# failed run, so that the next run picks the build up where it stopped
# instead of starting the half hour again. Ours are the folders whose stamp
# names this build; one that another run holds locked is left to it.
workstamp=.mfcvemsync-work
stampline="work folder of scripts/qt-windows.sh for $name"
work=
busy=
for candidate in "$cache"/qt-*.work.*; do
    [ -d "$candidate" ] && [ ! -L "$candidate" ] && [ -O "$candidate" ] &&
        [ -f "$candidate/$workstamp" ] && [ ! -L "$candidate/$workstamp" ] &&
        [ "$(head -n 1 "$candidate/$workstamp" 2>/dev/null)" = "$stampline" ] || continue
    { exec {lock}>>"$candidate/$workstamp"; } 2>/dev/null || continue
    if flock -n "$lock"; then
        work=$candidate
        break
    fi
    busy=$candidate
    busylock=$lock
done
if [ -z "$work" ] && [ -n "$busy" ]; then
    # Another run is building this very Qt: wait for it rather than build
    # it twice, then take its result or carry on where it stopped.
    say "another run is building this Qt in $busy; waiting for it"
    flock "$busylock"
    if [ -f "$prefix/$marker" ]; then
        say "reusing $prefix"
        echo "$prefix"
        exit 0
    fi
    [ -d "$busy" ] && work=$busy && lock=$busylock
fi
if [ -z "$work" ]; then
    work=$(mktemp -d "$cache/$name.work.XXXXXX")
    echo "$stampline" >"$work/$workstamp"
    exec {lock}>>"$work/$workstamp"
    flock -n "$lock"
else
    say "resuming in $work"
fi
log=$work/build.log
build=$work/build

# The build tree names its toolchain file by path and reads it again on every
# re-run of CMake; a copy in the work folder (the same content, as the key
# says) keeps a resumed build independent of the checkout that began it.
worktoolchain=$work/mingw-w64.cmake
cmp -s "$toolchain" "$worktoolchain" || cp "$toolchain" "$worktoolchain"
if [ -f "$build/CMakeCache.txt" ]; then
    recorded=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:FILEPATH=//p' "$build/CMakeCache.txt")
    if [ -n "$recorded" ] && [ "$recorded" != "$worktoolchain" ]; then
        say "the build tree names $recorded; pointing it at $worktoolchain"
        for f in "$build/CMakeCache.txt" "$build"/CMakeFiles/*/CMakeSystem.cmake; do
            [ -f "$f" ] || continue
            text=$(<"$f")
            printf '%s\n' "${text//"$recorded"/"$worktoolchain"}" >"$f"
        done
    fi
fi
trap 'say "interrupted; the next run resumes in $work"; exit 130' INT TERM HUP

fail() {
    tail -n 30 "$log" >&2
    die "$1 failed after $(((SECONDS - started) / 60)) min; log: $log (the next run resumes there; remove $work to start afresh)"
}

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

# Each step leaves a stamp when it has completed; a step without its stamp
# is redone from a clean slate.
if [ ! -f "$work/.fetched" ]; then
    rm -rf "$work"/qt6-base[-_]* "$build"
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
    "${sudo[@]}" apt-get update -qq >>"$log" 2>&1 || fail "apt-get update"
    (cd "$work" && apt-get source -q "qt6-base=$debver") >>"$log" 2>&1 ||
        fail "apt-get source qt6-base=$debver"
    for p in "${patches[@]}"; do
        patch -d "$work"/qt6-base-*/ -p1 --quiet <"$p" >>"$log" 2>&1 ||
            fail "applying $p to qt6-base $debver"
    done
    touch "$work/.fetched"
fi
src=$(echo "$work"/qt6-base-*/)

if [ ! -f "$work/.configured" ]; then
    rm -rf "$build"
    mkdir "$build"
    ccache=()
    # Qt's precompiled headers leave ccache little to reuse; it is used when
    # present but the installed Qt itself is what is cached.
    if command -v ccache >/dev/null; then
        ccache=(-ccache)
    fi
    say "configuring Qt $version for Windows (log: $log)"
    (cd "$build" && nice -n 10 "$src/configure" -prefix "$prefix" "${options[@]}" "${ccache[@]}" \
        -- -DCMAKE_TOOLCHAIN_FILE="$worktoolchain" "${cmake_options[@]}") >>"$log" 2>&1 || fail "configure"
    touch "$work/.configured"
fi
say "building (about 1000 steps; 30 minutes or more on two free cores, 52 CPU-minutes in all)"
nice -n 10 cmake --build "$build" --parallel "$(nproc)" >>"$log" 2>&1 || fail "build"

# Installed beside the final place and moved there in one rename, so the
# cache never holds a half-installed Qt under the final name.
stage=$work/stage
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" >>"$log" 2>&1 || fail "install"
{
    echo "qt6-base $debver for Windows, built $(date -u +%FT%TZ)"
    printf '%s\n' "${options[@]}" "${cmake_options[@]}"
} >"$stage$prefix/$marker"
cp "$log" "$stage$prefix/build.log"
if ! mv -T "$stage$prefix" "$prefix" 2>/dev/null; then
    # Another run finished the same build first.
    [ -f "$prefix/$marker" ] || die "could not move the built Qt to $prefix"
fi
rm -rf "$work"

say "Qt $version for Windows in $prefix ($(du -sh "$prefix" | cut -f1)); this run took $(((SECONDS - started) / 60)) min"
echo "$prefix"
