#!/usr/bin/env bash
# Runs inside the virtual X display of scripts/test-windows, with WINEPREFIX set to a fresh
# directory: starts Wine once, then for each build runs the Windows test programs through CTest,
# runs ringeye.exe and Tallyer.exe as an operator would with no driver loaded, and runs them with
# live data through the Wine test driver (live_under_wine.sh). With no driver each program must
# show the open-failure report at its cells (read back through VTWIN_ROWS_FILE), get a
# screenshot, and end with its exit status when its window is closed (ringeye) or gets Esc
# (Tallyer). Every wait is bounded.
#   tests/windows/under_wine.sh QD4682SIM DRIVER_DIR BUILD_DIR...
set -euo pipefail
simulator=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
driver_dir=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
rows_dir=$(mktemp -d /tmp/monitors-rows.XXXXXX)
trap 'rm -rf "$rows_dir"' EXIT

source "$here/../../scripts/wine-env"
[ -x "$wine" ] && [ -x "$wineserver" ] || { echo "no wine64 found" >&2; exit 1; }

echo "== Starting Wine (wineboot)"
timeout 300 "$wine" wineboot --init
# A virtual desktop: Wine then draws the windows' frames and titles itself, since the virtual X
# display has no window manager to do it. It fills the X screen.
timeout 60 "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
timeout 60 "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1400x900 /f \
    >/dev/null
# The desktop is made when Wine starts: stop this Wine so the next program starts it anew.
timeout 60 "$wineserver" -k || true
timeout 60 "$wineserver" -w || true


message="***Error***: Cannot detect 4682 device"
top_bar="-- Exit-<ESC> or 0 ------------------ Menu --------------------- More-<Space> --"
dual_bar=" 1:Composite 2:SMT 3:MAC 4:Counters 5:Port-A 6:Port-B 7:Path 8:Dev#   9:Delay"
command_bar="-- Commands: 0 or <ESC>=EXIT    1=Select Device Instance   ---------------------"

# cells FILE ROW COLUMN LENGTH: the text shown in those cells.
cells() {
    sed -n "$(($2 + 1))p" "$1" | cut -c "$(($3 + 1))-$(($3 + $4))"
}

# shows FILE ROW COLUMN TEXT: whether TEXT is shown from (ROW, COLUMN) on.
shows() {
    [ -f "$1" ] && [ "$(cells "$1" "$2" "$3" "${#4}")" = "$4" ]
}

ringeye_failure_screen() {
    # Cell (0,0) holds the spinner; the message is written from column 1, beside it.
    shows "$1" 0 1 "$message" && shows "$1" 22 0 "$top_bar" && shows "$1" 23 0 "$dual_bar"
}

tallyer_failure_screen() {
    shows "$1" 0 1 "$command_bar" && shows "$1" 1 1 "$message"
}

# run_program EXE TITLE CHECK ACTION STATUS: starts the program, waits up to 60 s for CHECK to
# pass on its rows, takes the screenshot, sends ACTION (close or esc) and expects the program to
# end within 30 s with STATUS.
run_program() {
    local exe=$1 title=$2 check=$3 action=$4 expected=$5
    local name=${exe%.exe} rows=$rows_dir/${exe%.exe}.rows
    echo "== $(basename "$build"): $exe with no driver"
    VTWIN_ROWS_FILE="Z:${rows//\//\\}" timeout 120 "$wine" "$build/$exe" &
    local program=$!
    local shown=no
    for _ in $(seq 300); do
        if "$check" "$rows"; then
            shown=yes
            break
        fi
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    if [ -f "$rows" ]; then
        echo "-- shown rows:"
        sed 's/^/   |/' "$rows"
    fi
    import -window root "$shots/$name.png" || echo "no screenshot of $exe" >&2
    timeout 30 "$wine" "$build/post_to_window.exe" "$title" "$action" || true
    local status=0
    for _ in $(seq 150); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.2
    done
    kill "$program" 2>/dev/null || true
    wait "$program" || status=$?
    if [ "$shown" != yes ]; then
        echo "FAIL: $exe did not show the open-failure report at its cells" >&2
        return 1
    fi
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $exe ended with status $status after '$action', expected $expected" >&2
        return 1
    fi
    echo "ok: $exe showed the report, ended with status $status; screenshot $shots/$name.png"
}

failures=0
for build in "$@"; do
    build=$(cd "$build" && pwd)
    shots=$build/screenshots
    mkdir -p "$shots"
    echo "== $(basename "$build"): Windows test programs"
    ctest --test-dir "$build" --output-on-failure --timeout 300 || failures=$((failures + 1))
    run_program ringeye.exe "ringeye SMT 7.3" ringeye_failure_screen close 1 ||
        failures=$((failures + 1))
    run_program Tallyer.exe "4682 Tallyer" tallyer_failure_screen esc 0 || failures=$((failures + 1))
    "$here/live_under_wine.sh" "$build" "$simulator" "$driver_dir" || failures=$((failures + 1))
    # The driver goes with this Wine server; the next build starts again with no driver.
    timeout 60 "$wineserver" -k || true
    timeout 60 "$wineserver" -w || true
done
# The windows at 96 and 192 dpi (100 % and 200 %), for a look at their sharpness: Tallyer of the
# last build with no driver, screenshots dpi96-Tallyer.png and dpi192-Tallyer.png. Wine reads
# the resolution when it starts.
for dpi in 96 192; do
    timeout 60 "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" \
        /f >/dev/null
    timeout 60 "$wineserver" -k || true
    timeout 60 "$wineserver" -w || true
    rows=$rows_dir/dpi$dpi.rows
    VTWIN_ROWS_FILE="Z:${rows//\//\\}" timeout 120 "$wine" "$build/Tallyer.exe" &
    program=$!
    for _ in $(seq 300); do
        tallyer_failure_screen "$rows" && break
        sleep 0.2
    done
    sleep 1  # the rows file is written as the window is painted; let the frame settle too
    import -window root "$shots/dpi$dpi-Tallyer.png" || echo "no screenshot at $dpi dpi" >&2
    timeout 30 "$wine" "$build/post_to_window.exe" "4682 Tallyer" esc || true
    wait "$program" || true
    echo "screenshot at $dpi dpi: $shots/dpi$dpi-Tallyer.png"
done
timeout 60 "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f \
    >/dev/null

echo "under Wine: $failures failed parts"
[ "$failures" -eq 0 ]
