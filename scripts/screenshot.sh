#!/usr/bin/env bash
# Draws the README's pictures: the dialog, docs/screenshot.png, connected to
# the simulated controller as COM1, program 1 being written, the bar showing
# its block count; the trace window after that write and a read,
# docs/trace-window.png; and the port setup, docs/port-setup.png. Qt's
# offscreen platform renders them on a 1280×800 screen; no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j"$(nproc)" --target MFCVemSync-screenshot port-setup-screenshot vem730-sim

scratch=$(mktemp -d)
export XDG_DATA_HOME="$scratch"
. scripts/simulator.sh
start_simulator build/release "$scratch/store" --pace
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; rm -rf "$scratch"' EXIT

mkdir -p docs
screen="offscreen:configfile=$PWD/tests/dialog/screen-1280x800.json"
QT_QPA_PLATFORM=$screen build/release/dialog/MFCVemSync-screenshot docs/screenshot.png COM1 "$scratch" \
    docs/trace-window.png
echo "docs/screenshot.png docs/trace-window.png"

# The port setup over made-up USB adapters (umockdev), docs/port-setup.png.
QT_QPA_PLATFORM=$screen umockdev-wrapper build/release/tests/dialog/port-setup-screenshot docs/port-setup.png
echo "docs/port-setup.png"
