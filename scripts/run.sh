#!/usr/bin/env bash
# Installs what is missing, builds every program (the dialog, vemsync and
# vem730-sim, so that the README's command lines work afterwards), starts
# the simulated controller as COM1 on a store of its own and opens the
# dialog against it. Without a display the dialog runs under Xvfb. Closing
# the dialog stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release
cmake --build build/release -j"$(nproc)" --target MFCVemSync vemsync vem730-sim

# The simulator's store and its COM1 link live under build/demo, so an
# adapter mapped as COM1 in the user's own port folder is left alone.
demo="$PWD/build/demo"
mkdir -p "$demo"
export XDG_DATA_HOME="$demo"

. scripts/simulator.sh
start_simulator build/release "$demo/store" --log "$demo/line.log"
echo "Transaction log: $demo/line.log"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    build/release/dialog/MFCVemSync
else
    echo "No display: running the dialog under Xvfb"
    xvfb-run -a build/release/dialog/MFCVemSync
fi
