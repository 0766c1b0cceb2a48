#!/usr/bin/env bash
# Runs every shell snippet that the README marks as a set-up step ("<!-- setup: NAME -->" on the
# line before a ```sh block), as written, in a scratch root (scratch_root.sh): the build, as a
# user, in a copy of the sources; the install into ~/.local and the session's driver as that
# user; the install into /usr/local, snmpd's configuration and the system services as root
# (through the sudo of the snippets). Then the station must be served over SNMP, on the host's
# device, and the user's own driver on the user's socket. A marked snippet this test does not
# know fails it, so a new set-up step cannot go untried.
#   readme_setup_test.sh SOURCE_DIR SCRATCH_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/scratch_root.sh"
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
scratch=$(cd "$2" && pwd)
scratch_root_enter "$here/readme_setup_test.sh" "$source_dir" "$scratch"
fail() { echo "FAILED: $*"; scratch_root_logs; exit 1; }

user=65534
user_home=/run/home-user
user_runtime=/run/user/$user
install -d -o "$user" -g "$user" -m 0700 "$user_home" "$user_runtime"

# The snippets, one file each.
snippets=/run/readme-snippets
mkdir -p "$snippets"
awk -v dir="$snippets" '
    /^<!-- setup: [a-z-]+ -->$/ { name = $3; next }
    name != "" && /^```sh$/ { file = dir "/" name ".sh"; printf "" > file; inside = 1; next }
    inside && /^```$/ { inside = 0; name = ""; close(file); next }
    inside { print >> file; next }
    { name = "" }
' "$source_dir/README.md"

order=(build install-home user-driver install-system system-driver snmpd services check)
for file in "$snippets"/*.sh; do
    name=$(basename "$file" .sh)
    [[ " ${order[*]} " == *" $name "* ]] || fail "the README marks a set-up snippet '$name' this test does not run"
done
for name in "${order[@]}"; do
    [ -s "$snippets/$name.sh" ] || fail "the README has no set-up snippet '$name'"
done

# A fresh copy of the sources, as a user's clone.
copy=$scratch/source
rm -rf "$copy"
mkdir -p "$copy"
git -c safe.directory="*" -C "$source_dir" ls-files -z | (cd "$source_dir" && xargs -0 cp --parents -t "$copy")
# Files of this change that are not committed yet come along too.
git -c safe.directory="*" -C "$source_dir" ls-files -z --others --exclude-standard |
    (cd "$source_dir" && xargs -0 -r cp --parents -t "$copy")
chown -R "$user:$user" "$scratch"

as_user() {
    (cd "$copy" && setpriv --reuid="$user" --regid="$user" --clear-groups \
        env HOME="$user_home" XDG_RUNTIME_DIR="$user_runtime" PATH="$PATH" \
        bash -euo pipefail "$1")
}
as_root() {
    (cd "$copy" && bash -euo pipefail "$1")
}

for name in "${order[@]}"; do
    echo "== README set-up step: $name"
    cat "$snippets/$name.sh"
    case "$name" in
        build | install-home | user-driver) as_user "$snippets/$name.sh" || fail "step $name" ;;
        check)
            check() { as_root "$snippets/check.sh" | grep -q 'INTEGER: [1-9]'; }
            scratch_root_wait check || fail "the station is not served: $(as_root "$snippets/check.sh" 2>&1)"
            ;;
        *) as_root "$snippets/$name.sh" || fail "step $name" ;;
    esac
done

[ -f "$user_home/.local/share/systemd/user/qd4682sim.service" ] ||
    fail "the user unit is not where systemd looks for it"
zgrep -q "$user_home/.local/share/systemd/user/qd4682sim.service" \
    "$user_home/.local/share/man/man1/qd4682sim.1.gz" || fail "qd4682sim(1) names another unit path"
scratch_root_wait test -S "$user_runtime/qd4682" || fail "the user's driver does not serve"
[ "$(stat -c %u "$user_runtime/qd4682")" -eq "$user" ] || fail "the user's socket is not the user's"
[ -S /run/qd4682/qd4682 ] || fail "the host's device is not served"
rm -rf "$copy"  # a Release tree nobody uses again
echo "README set-up: passed"
