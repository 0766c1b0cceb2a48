#!/usr/bin/env bash
# The monitors of one Windows build end to end with live data, inside the virtual X display of
# scripts/test-windows and its Wine prefix: qd4682sim serves a simulated station on the platform
# socket, the Wine test driver (tests/windows/wine_driver) makes \\.\qd4682 reach it, and ringeye.exe
# and Tallyer.exe are driven as an operator would. Their shown rows (VTWIN_ROWS_FILE) must hold
# the simulated healthy station's reference values on every screen and both pages; a dialog, a
# refused device instance, Esc and 0 with their exit statuses, and both programs with the driver
# present but qd4682sim stopped, Ctrl+C onto the X clipboard and the close box in the middle of
# a dialog are checked too. Every wait is bounded.
#   tests/windows/live_under_wine.sh BUILD_DIR QD4682SIM DRIVER_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
simulator=$2
driver_dir=$(cd "$3" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/wine_helpers.sh"

work=$(mktemp -d /tmp/monitors-live.XXXXXX)
chmod 700 "$work"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
sim_pid=
stop_simulator() {
    [ -n "$sim_pid" ] || return 0
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
}
trap 'stop_simulator; rm -rf "$work"' EXIT

"$simulator" --seed 11 --instances 1 2>"$work/simulator.log" &
sim_pid=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/qd4682" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/qd4682" ] || { echo "FAIL: qd4682sim did not start" >&2; exit 1; }
# The driver's host inherits XDG_RUNTIME_DIR from here, so it finds this simulator's socket.
"$root/tests/windows/wine_driver/start.sh" "$driver_dir"

ringeye_title="ringeye SMT 7.3"
tallyer_title="4682 Tallyer"
bars=("22|^-- Exit-<ESC> or 0 -{18} Menu -{21} More-<Space> --"
      "23|^ 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B 7:Path 8:Dev#   9:Delay")
header="1|^  StationID      : [0-9A-F]{4} [0-9A-F]{4} [0-9A-F]{4}  ECM-IN       CFM-THRU     RMT-RING_OP"

# ringeye's screens: the keys that lead there, then ROW|PATTERN of what the rows must show; the
# values are those of the simulated healthy dual-attachment station.
ringeye_steps=(
    "1" "0|Composite Data" "$header" "*|SMT Version Op : 0x0002    Hi: 0x0002  Lo: 0x0002"
        "*|^   A    0000     7     8   ACTIVE          B          1      ACTIVE   15"
        "*|^   B    0000     7     8   ACTIVE          A          0      ACTIVE   15"
        "*|T-MAX Low: 165.000 ms" "*|TVX   Low:   5.200 ms" "*|T-Req    :   8.000 ms"
        "*|T-Neg    :   8.000 ms" "*|T-Max    : 165.000 ms" "*|TvxValue :   2.500 ms"
    "2" "0|SMT Data" "$header" "*|MAC_Ct         : 0x01 .*OpVersion Id          : 0x0002"
        "*|Master_Ct      : 0x00 .*LoVersion Id          : 0x0002"
        "*|ECM State             : In" "*|CF_State              : Thru"
        "*|StationStatus         : Thru"
    "3" "0|MAC Configs & Ops Data" "*|T_Req    :   8.000" "*|T_Neg    :   8.000"
        "*|T_MaxCapability :165.000 ms .*T_MAx    : 165.000"
        "*|TVXCapability   :  5.200 ms .*Tvx Value:   2.500"
    "4" "0|MAC Counters & Status Data" "*|Frame_Ct           : 0x[0-9A-F]{8} .*RMTState  *: Ring_Op"
        "*|MA_UnitdataAvailable      : True" "*|HardwarePresent           : True"
        "*|FrameErrorThreshold: 0x0001"
    "5" "0|A PORT Data" "*|My_Type            : A " "*|NeighborType       : B "
        "*|Ler_Estimate       : 0x0F" "*|Ler_Cutoff         : 0x07" "*|Ler_Alarm          : 0x08"
    # The port screens' second page, and the page kept when the next port screen is chosen.
    " " "0|A PORT Data" "*|MAC Loop_Time      : 200.000 ms" "*|PMD Class          : multimode"
        "*|Connect State      : Active" "*|PCM State          : Active"
        "*|Hardware Present   : True" "*|PC_LS              : Active"
    "6" "0|B PORT Data" "*|MAC Loop_Time      : 200.000 ms" "*|Connect State      : Active"
        "*|PCM State          : Active"
    " " "0|B PORT Data" "*|My_Type            : B " "*|NeighborType       : A "
        "*|Ler_Estimate       : 0x0F" "*|Ler_Cutoff         : 0x07" "*|Ler_Alarm          : 0x08"
    "7" "0|PATH Data" "*|Index               : 1 " "*|PORT     1     primary"
        "*|MAC      1     primary" "*|PORT     2     primary"
        "*|TVXLowerBound       :   2.500 ms" "*|T_MaxLowerBound     : 165.000 ms"
        "*|MaxT_Req            : 165.000 ms"
    " " "0|PATH Data" "$header" "${bars[0]}" "5|^ *$" "7|^ *$"
    # The poll-rate dialog: a new rate (1 to 5 s) is taken and shown.
    "9" "*|^ *\* .*\*"
    "2\n" "0|Poll Rate = 2000 MS" "0|PATH Data"
    # A device instance the driver does not serve: its refusal comes back with its own code.
    "8" "*|Enter New Dev Instance"
    "2\n" "*|Failed for DevInstance 2, GetLastError = 1[fF]"
    "8" "*|Enter New Dev Instance"
    "0\n" "$header"
    "1" "0|Composite Data" "$header" "${bars[@]}"
)

# xmit_packets ROWS: the value of "Xmit packets" or nothing.
xmit_packets() {
    sed -n 's/^Xmit packets *\([0-9]*\) .*/\1/p' "$1"
}

# check_clipboard TITLE ROWS: Ctrl+C in the window puts the shown screen on the X clipboard as
# plain text: the rows without trailing blanks, in CR LF lines. The spinner in cell (0,0) and the
# live counters move between the copy and the read-back, so rows 1 to 3 and the bars are compared.
check_clipboard() {
    local copied=$work/clipboard.txt
    post "$1" copy >/dev/null
    for _ in $(seq 50); do
        xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >"$copied" || true
        [ "$(wc -l <"$copied")" -ge 24 ] && break
        sleep 0.2
    done
    local expected
    expected=$(sed -n '2,4p;23,24p' "$2" | sed 's/ *$//')
    if [ "$(sed -n '2,4p;23,24p' "$copied")" != "$expected" ]; then
        echo "FAIL: the clipboard does not hold the shown screen after Ctrl+C:" >&2
        sed 's/^/   |/' "$copied" >&2
        return 1
    fi
    echo "ok: Ctrl+C copied the screen ($(wc -l <"$copied") lines) to the X clipboard"
}

failures=0

echo "== $(basename "$build"): ringeye.exe with live data"
rows=$work/ringeye.rows
start_program ringeye.exe "$rows"
if walk_steps "$ringeye_title" "$rows" "${ringeye_steps[@]}"; then
    shot "live-ringeye"
    check_clipboard "$ringeye_title" "$rows" || failures=$((failures + 1))
    end_program "$ringeye_title" esc 1 || failures=$((failures + 1))
else
    failures=$((failures + 1))
    end_program "$ringeye_title" esc 1 || true
fi

echo "== $(basename "$build"): Tallyer.exe with live data"
rows=$work/tallyer.rows
tallyer_steps=(
    "" "0|^.- Commands: 0 or <ESC>=EXIT    1=Select Device Instance"
       "*|^Xmit packets  *[0-9]+  Recv packets  *[0-9]+"
       "*|^Xmit errors \(Total\)  *[0-9]+  Recv  errors \(Total\)  *[0-9]+"
)
start_program Tallyer.exe "$rows"
if walk_steps "$tallyer_title" "$rows" "${tallyer_steps[@]}"; then
    first=$(xmit_packets "$rows")
    grown=no
    for _ in $(seq 100); do
        now=$(xmit_packets "$rows")
        if [ -n "$now" ] && [ "$now" -gt "$first" ]; then grown=yes; break; fi
        sleep 0.2
    done
    if [ "$grown" = yes ]; then echo "ok: the counters grow ($first, then $now)"; else
        echo "FAIL: Xmit packets stayed at $first" >&2
        failures=$((failures + 1))
    fi
    refusal=("1" "*|Enter New Dev Instance" "2\n" "*|DevInstance 2.*1[fF]")
    walk_steps "$tallyer_title" "$rows" "${refusal[@]}" || failures=$((failures + 1))
    shot "live-Tallyer"
else
    failures=$((failures + 1))
fi
end_program "$tallyer_title" "keys 0" 0 || failures=$((failures + 1))

echo "== $(basename "$build"): the driver present, qd4682sim stopped"
# Wine opens the device without waiting for the driver, so the monitors learn that nobody serves
# it from their first request: error 2, as the Linux device calls give it. Each is then closed in
# the middle of a dialog, which must end it at once with its status.
stop_simulator
for program in ringeye.exe Tallyer.exe; do
    rows=$work/$program.absent.rows
    if [ "$program" = ringeye.exe ]; then
        title=$ringeye_title dialog=8 status=1
    else
        title=$tallyer_title dialog=1 status=0
    fi
    start_program "$program" "$rows"
    if walk_steps "$title" "$rows" "" "*|GetLastError = 2( |$)" \
        "$dialog" "*|Enter New Dev Instance" "1" "*|Enter New Dev Instance: 1"; then
        shot "absent-${program%.exe}"
    else
        failures=$((failures + 1))
    fi
    end_program "$title" close "$status" || failures=$((failures + 1))
done

echo "live end-to-end ($(basename "$build")): $((failures == 0 ? 1 : 0)) passed, $failures failures"
[ "$failures" -eq 0 ]
