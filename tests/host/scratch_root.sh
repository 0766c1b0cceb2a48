# Sourced by the host tests: a scratch root in which system paths can be used as a host uses
# them. scratch_root_enter re-runs the calling script in mount and network namespaces of its
# own, where /run, /tmp, /usr/local, /var/agentx, /var/lib/snmp and the caller's home are empty
# tmpfs, /etc/snmp is a copy, the loopback interface is up (so snmpd has port 161 to itself)
# and sudo and systemctl are the stand-ins in fake-bin/. Nothing of it outlives the test, and
# the machine's own files are not touched. Needs root; without it the test is skipped (77).
scratch_root_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

scratch_root_enter() {
    local script=$1
    shift
    if [ -z "${SCRATCH_ROOT_INSIDE:-}" ]; then
        if [ "$(id -u)" -ne 0 ] || ! unshare --mount --net true 2>/dev/null; then
            echo "skipped: a scratch root needs root (mount and network namespaces)"
            exit 77
        fi
        SCRATCH_ROOT_INSIDE=1 exec unshare --mount --net --propagation private \
            bash "$script" "$@"
    fi
    ip link set lo up
    # The caller's directories (the sources these tests belong to, the build) may lie in /tmp,
    # a clone there say, which becomes a scratch tmpfs below: they are bound back to where they
    # were, parents first.
    local kept=() path
    for path in "$scratch_root_here/../.." "$@"; do
        [ -d "$path" ] || continue
        path=$(cd "$path" && pwd)
        [[ $path == /tmp/* ]] && kept+=("$path")
    done
    if [ ${#kept[@]} -gt 0 ]; then
        mount -t tmpfs -o mode=0700 scratch-keep /mnt
        mkdir /mnt/tmp
        mount --bind /tmp /mnt/tmp
    fi
    mount -t tmpfs -o mode=0755 scratch-run /run
    mount -t tmpfs -o mode=1777 scratch-tmp /tmp
    while read -r path; do
        [ -n "$path" ] || continue
        mkdir -p "$path"
        mount --bind "/mnt/tmp${path#/tmp}" "$path"
    done < <(printf '%s\n' "${kept[@]}" | sort -u)
    mount -t tmpfs -o mode=0755 scratch-usr-local /usr/local
    mkdir -p /var/agentx /var/lib/snmp
    mount -t tmpfs -o mode=0755 scratch-agentx /var/agentx
    mount -t tmpfs -o mode=0755 scratch-snmp /var/lib/snmp
    local etc_snmp
    etc_snmp=$(mktemp -d /run/etc-snmp.XXXXXX)
    cp -a /etc/snmp/. "$etc_snmp"
    mount --bind "$etc_snmp" /etc/snmp
    export HOME=/run/scratch-home
    mkdir -p "$HOME"
    export FAKE_SYSTEMD_STATE=/run/fake-systemd
    install -d -m 1777 "$FAKE_SYSTEMD_STATE"  # user managers keep theirs there too
    export PATH=$scratch_root_here/fake-bin:$PATH
    unset XDG_RUNTIME_DIR
    trap scratch_root_leave EXIT
}

# Stops whatever the fake service managers started.
scratch_root_leave() {
    local pidfile
    for pidfile in "$FAKE_SYSTEMD_STATE"/*/*.pid; do
        [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    done
    sleep 0.5
    for pidfile in "$FAKE_SYSTEMD_STATE"/*/*.pid; do
        [ -f "$pidfile" ] && kill -9 "$(cat "$pidfile")" 2>/dev/null
    done
    return 0
}

# The services' logs, for a failure message.
scratch_root_logs() {
    local log
    for log in "$FAKE_SYSTEMD_STATE"/*/*.log; do
        [ -f "$log" ] && { echo "== $log"; cat "$log"; }
    done
    return 0
}

# Retries `command...` until it succeeds, for a minute at most (no healthy run comes near).
scratch_root_wait() {
    local i
    for i in $(seq 600); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
