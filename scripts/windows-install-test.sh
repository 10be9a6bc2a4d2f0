#!/usr/bin/env bash
# Tries the Windows installer as a user would, in a fresh wine prefix on a
# virtual screen (Xvfb and a window manager): a silent install refused in
# another program's folder, a silent install, the
# installed dialog started from where the installer put it, its window
# looked for and pictured (LOGS/installed-dialog.png) with the simulated
# controller behind COM1, the dialog closed, a silent uninstall, and a
# check that nothing of it is left: no file, shortcut or registry key.
#
# usage: scripts/windows-install-test.sh SETUP.exe NATIVE_BUILD LOGS
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 SETUP.exe NATIVE_BUILD LOGS" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
cd "$(dirname "$0")/.."
root=$PWD
setup=$(realpath "$1")
native=$(realpath "$2")
logs=$(realpath "$3")
fail() { echo "windows-install-test: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }

# The prefix and the simulator's folders are this script's own, under the
# build folder, made afresh each run.
work=$root/build/windows/install-test
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_DATA_HOME=$work/data
export LANG=C.UTF-8

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

openbox >"$logs/openbox.log" 2>&1 &
pids+=($!)
"$native/sim/vem730-sim" --store "$work/store" --port COM1 >"$logs/install-sim.log" 2>&1 </dev/null &
pids+=($!)
wineboot --init >"$logs/install-wineboot.log" 2>&1 </dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$XDG_DATA_HOME/MFCVemSync/ports/COM1" /f \
    >>"$logs/install-wineboot.log" 2>&1 </dev/null
# Another program's folder, with a file of a name the installer also has.
other=$WINEPREFIX/drive_c/Other
mkdir -p "$other"
echo "another program's notes" >"$other/README.txt"
wineserver -w
# What the fresh prefix holds outside Windows' own folder.
listing() { (cd "$WINEPREFIX/drive_c" && find . -path ./windows -prune -o -print | sort); }
listing >"$work/before.txt"

users=$WINEPREFIX/drive_c/users/$(whoami)
installed=$users/AppData/Local/Programs/MFCVemSync
shortcut="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/MFCVemSync.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\MFCVemSync'

# Not into a folder that holds something and is no earlier install of ours.
status=0
wine "$setup" /S '/D=C:\Other' >"$logs/install.log" 2>&1 </dev/null || status=$?
wineserver -w
[ "$status" -eq 2 ] || fail "the installer into another program's folder ended with $status"
listing | cmp -s - "$work/before.txt" || fail "the installer refused a folder but changed files"
[ "$(cat "$other/README.txt")" = "another program's notes" ] || fail "another program's file was overwritten"

t0=$(now_ms)
wine "$setup" /S >>"$logs/install.log" 2>&1 </dev/null || fail "the installer ended with $?"
wineserver -w
echo "silent install: $(($(now_ms) - t0)) ms"
for file in MFCVemSync.exe vemsync.exe README.txt uninstall.exe; do
    [ -f "$installed/$file" ] || fail "$file was not installed into $installed"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
wine reg query "$uninstall_key" /v UninstallString >>"$logs/install.log" 2>&1 </dev/null ||
    fail "no entry in the installed programs"

# The installed dialog, as the Start menu starts it; its window has the
# program's name as its title, and the port opens on the simulator.
wine "$installed/MFCVemSync.exe" >"$logs/installed-dialog.log" 2>&1 </dev/null &
dialog=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^MFCVemSync$' | head -1) ||
    fail "the installed dialog's window did not appear"
sleep 1 # the window paints after it maps; the picture is for a person to look at
# With its frame and title bar: the window manager's frame is the window's parent.
frame=$(xwininfo -children -id "$window" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
xwd -id "$frame" -silent | xwdtopnm 2>/dev/null | pnmtopng >"$logs/installed-dialog.png"
timeout 30 xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4 ||
    fail "the dialog's window could not be activated"
timeout 30 tail --pid="$dialog" -f /dev/null || fail "the dialog did not close on Alt+F4"
wait "$dialog" || fail "the dialog ended with $?"

t0=$(now_ms)
wine "$installed/uninstall.exe" /S >"$logs/uninstall.log" 2>&1 </dev/null || fail "the uninstaller ended with $?"
# The uninstaller runs a copy of itself from the temporary folder and
# returns at once: wait for it. That copy is removed at the next start of
# Windows, as a pending deletion, which wine does on a simulated restart.
wineserver -w
echo "silent uninstall: $(($(now_ms) - t0)) ms"
wineboot --restart >>"$logs/uninstall.log" 2>&1 </dev/null
wineserver -w
# Windows' own folder for programs installed per user stays: it may hold
# other programs, and the installer made it only because no program had yet.
listing | grep -vx './users/[^/]*/AppData/Local/Programs' >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >"$work/left.txt" || fail "the uninstall left: $(cat "$work/left.txt")"
if grep -q 'MFCVemSync' "$WINEPREFIX/user.reg"; then
    fail "the uninstall left in the registry: $(grep 'MFCVemSync' "$WINEPREFIX/user.reg" | head -5)"
fi
echo "installed, started, closed and uninstalled; nothing left"
