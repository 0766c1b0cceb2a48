#!/usr/bin/env bash
# The system service pair as their units start them: the build installed to /usr/local of a
# scratch root, snmpd as Debian's unit starts it, then the units' own ExecStart lines for
# qd4682sim (the host's device, /run/qd4682/qd4682) and ringagent (as root, without
# XDG_RUNTIME_DIR). The station must show in snmpd's walk, and a second agent started the same
# way must be refused the subtree and exit with status 1.
#   service_pair_test.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/scratch_root.sh"
build=$(cd "$1" && pwd)
scratch_root_enter "$here/service_pair_test.sh" "$build"
fail() { echo "FAILED: $*"; scratch_root_logs; exit 1; }

cmake --install "$build" --prefix /usr/local >/dev/null
mkdir -p /etc/snmp/snmpd.conf.d
printf 'master agentx\nview systemonly included .1.3.6.1.2.1.10.15.73\n' \
    >/etc/snmp/snmpd.conf.d/ringagent.conf
systemctl restart snmpd
systemctl enable --now qd4682sim ringagent

smt_number() {
    snmpget -v2c -c public -m '' -On -t 1 -r 0 localhost 1.3.6.1.2.1.10.15.73.1.1.0 |
        grep -q 'INTEGER: 1$'
}
scratch_root_wait smt_number || fail "fddimibSMTNumber never became 1"
[ -S /run/qd4682/qd4682 ] || fail "no socket at /run/qd4682/qd4682"
grep -q "serving fddimib" "$FAKE_SYSTEMD_STATE/system/ringagent.log" ||
    fail "the agent never said it serves"

# A second agent, as its unit would start it.
exec_start=$(sed -n 's/^ExecStart=//p' /usr/local/lib/systemd/system/ringagent.service)
read -r -a argv <<<"$exec_start"
status=0
env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "${argv[@]}" >/run/second-agent.log 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "the second agent ended with status $status: $(cat /run/second-agent.log)"
grep -q "duplicateRegistration" /run/second-agent.log ||
    fail "the second agent did not say why: $(cat /run/second-agent.log)"
! grep -q "serving fddimib" /run/second-agent.log || fail "the second agent claims to serve"
smt_number || fail "the first agent stopped serving"
echo "service pair: passed"
