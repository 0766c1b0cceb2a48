#!/usr/bin/env bash
# Screenshots of ringeye.exe under Wine while the simulated station is wrapped: qd4682sim plays
# its wrap scenario (link B lost from 20 s to 40 s of every 40 s), the Wine test driver serves it
# in a Wine prefix of this run, and ringeye.exe runs in a virtual X display of its own. Once the
# shown rows say the station is wrapped, the Composite screen and both pages of the port B screen
# are captured, with the rows beside each picture as text.
#   tests/windows/wrap_screenshots.sh WINDOWS_BUILD_DIR QD4682SIM DRIVER_DIR OUT_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
simulator=$2
driver_dir=$(cd "$3" && pwd)
out=$(mkdir -p "$4" && cd "$4" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/wine_helpers.sh"

work=$(mktemp -d /tmp/monitors-wrap.XXXXXX)
chmod 700 "$work"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime WINEPREFIX=$work/prefix
sim_pid= xvfb_pid=
program_pid=
# Every step runs whatever failed before it (errexit holds inside the trap too).
cleanup() {
    [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
    timeout 20 "$wineserver" -k 2>/dev/null || true
    [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; } || true
    [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of this run: Xvfb picks a free number and writes it once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")

# The prefix is made before the simulator starts, so that the scenario's clock is not spent on it.
timeout 300 "$wine" wineboot --init >/dev/null 2>&1
"$simulator" --scenario wrap 2>"$work/simulator.log" &
sim_pid=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/qd4682" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/qd4682" ] || { echo "FAIL: qd4682sim did not start" >&2; exit 1; }
"$root/tests/windows/wine_driver/start.sh" "$driver_dir" >/dev/null

title="ringeye SMT 7.3"
rows=$work/ringeye.rows
start_program ringeye.exe "$rows"
# The wrap holds from 20 s to 40 s of the scenario; the screens are taken inside it.
wrapped=("" "1|CFM-C_WRAP_A" "0|Composite Data")
walk_steps "$title" "$rows" "${wrapped[@]}"

# capture NAME KEYS CHECK...: types KEYS, waits for the checks, then takes the display and rows.
capture() {
    local name=$1 keys=$2
    shift 2
    walk_steps "$title" "$rows" "$keys" "$@" "1|CFM-C_WRAP_A"
    sleep 1  # the checks read the rows file, written as the screen is; let the window paint too
    # The window has no frame on a display without a window manager: the picture is cut to
    # the painted cells with a black margin.
    import -window root "$work/shot.png"
    convert "$work/shot.png" -trim +repage -bordercolor black -border 8 "$out/$name.png"
    cp "$rows" "$out/$name.txt"
    echo "captured $out/$name.png"
}
capture wrap-composite "" "0|Composite Data"
capture wrap-port-b "6" "0|B PORT Data" "*|My_Type            : B "
capture wrap-port-b-page2 " " "0|B PORT Data" "*|PCM State          : Break"
end_program "$title" esc 1
