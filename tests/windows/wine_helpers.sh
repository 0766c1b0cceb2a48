# Shared by the Wine end-to-end scripts (sourced): running a program of build $build under Wine
# with its rows read back, driving it with post_to_window.exe, and checking its rows.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"
program_pid=

# start_program EXE ROWS_FILE: starts EXE of the build with its rows read back into ROWS_FILE.
start_program() {
    rm -f "$2"
    VTWIN_ROWS_FILE="Z:${2//\//\\}" timeout 300 "$wine" "$build/$1" &
    program_pid=$!
}

# post TITLE ACTION...: what post_to_window.exe sends to the window titled TITLE.
post() {
    timeout 30 "$wine" "$build/post_to_window.exe" "$@"
}

# check_row ROWS ROW PATTERN: whether row ROW (0-based, "*" for any) matches the extended
# regular expression PATTERN.
check_row() {
    [ -f "$1" ] || return 1
    if [ "$2" = "*" ]; then
        grep -Eq -- "$3" "$1"
    else
        sed -n "$(($2 + 1))p" "$1" | grep -Eq -- "$3"
    fi
}

# walk_steps TITLE ROWS STEP...: each STEP is either keys to type (printf %b escapes, "" for
# none) or ROW|PATTERN; after each keys step, waits up to 30 s until all its checks hold at once.
walk_steps() {
    local title=$1 rows=$2
    shift 2
    while [ $# -gt 0 ]; do
        local keys=$1 checks=()
        shift
        while [ $# -gt 0 ] && [[ $1 =~ ^(\*|[0-9]+)\| ]]; do
            checks+=("$1")
            shift
        done
        if [ -n "$keys" ]; then
            local text
            printf -v text '%b' "$keys"  # not $(...), which would drop a final Enter
            post "$title" keys "$text" >/dev/null ||
                { echo "FAIL: could not type '$keys' into $title" >&2; return 1; }
        fi
        local passed=no failing=
        for _ in $(seq 150); do
            failing=
            local check
            for check in "${checks[@]}"; do
                check_row "$rows" "${check%%|*}" "${check#*|}" || { failing=$check; break; }
            done
            [ -z "$failing" ] && { passed=yes; break; }
            kill -0 "$program_pid" 2>/dev/null || break
            sleep 0.2
        done
        if [ "$passed" != yes ]; then
            echo "FAIL: after '$keys', $title does not show row ${failing%%|*}: ${failing#*|}" >&2
            [ -f "$rows" ] && sed 's/^/   |/' "$rows" >&2
            return 1
        fi
        echo "ok: after '$keys' ${#checks[@]} rows as expected"
    done
}

# shot NAME: a screenshot of the whole virtual display, into the build's screenshots/.
shot() {
    mkdir -p "$build/screenshots"
    import -window root "$build/screenshots/$1.png" 2>/dev/null || echo "no screenshot $1" >&2
}

# end_program TITLE ACTION STATUS: sends ACTION (close, esc or "keys TEXT") and expects the
# program to end within 30 s with STATUS.
end_program() {
    local title=$1 action=$2 expected=$3 status=0
    # shellcheck disable=SC2086 # "keys 0" is two arguments
    post "$title" $action >/dev/null || true
    for _ in $(seq 150); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.2
    done
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" || status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $title ended with status $status after '$action', expected $expected" >&2
        return 1
    fi
    echo "ok: $title ended with status $status after '$action'"
}
