# Sourced by the scripts that need a running simulated controller.
#
# start_simulator BUILD_DIR STORE [ARGS...]: starts vem730-sim published as
# COM1 in $XDG_DATA_HOME's port folder, waits until it says so, and stops it
# when the calling script exits.
start_simulator() {
    local build=$1 store=$2
    shift 2
    coproc SIM { exec "$build/sim/vem730-sim" --port COM1 --store "$store" "$@"; }
    sim_pid=$SIM_PID
    trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
    local line
    while IFS= read -r -t 30 line <&"${SIM[0]}"; do
        echo "vem730-sim: $line"
        [[ $line == port\ * ]] && return 0
    done
    echo "the simulated controller did not start" >&2
    return 1
}
